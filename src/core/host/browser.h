#pragma once
// Opening a web page: with the handler the desktop registered for web addresses, or by starting a
// browser program by name. Neither goes through a shell.
#include <string>

namespace kelvor::host {

class Browser {
  public:
    virtual ~Browser() = default;
    // False when no registered handler could be started for `address`.
    virtual bool open_with_handler(const std::string& address) = 0;
    // Starts `program` with `address` as its one argument; false when it cannot be started.
    virtual bool start_program(const std::string& program, const std::string& address) = 0;
};

} // namespace kelvor::host
