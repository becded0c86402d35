#pragma once
// Today's date as the user's locale writes it, and the moment as ISO 8601 writes it.
#include <string>

namespace kelvor::host {

class Calendar {
  public:
    virtual ~Calendar() = default;
    // The current date in the locale's short date format.
    virtual std::string short_date() = 0;
    // The current date and time with the local offset from UTC, to the second, as ISO 8601 writes it:
    // "2026-12-09T06:05:00+01:00" ("Z" for UTC).
    virtual std::string date_time_iso() = 0;
};

} // namespace kelvor::host
