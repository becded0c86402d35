#pragma once
// Today's date as the user's locale writes it.
#include <string>

namespace kelvor::host {

class Calendar {
  public:
    virtual ~Calendar() = default;
    // The current date in the locale's short date format.
    virtual std::string short_date() = 0;
};

} // namespace kelvor::host
