#pragma once
// Files in the process's working folder, named without a folder part.
#include <string>

namespace kelvor::host {

class Files {
public:
    virtual ~Files() = default;
    // Whether `name` can be opened for reading and writing (Start's probe for the results file).
    virtual bool can_open_read_write(const std::string& name) = 0;
};

} // namespace kelvor::host
