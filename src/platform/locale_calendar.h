#pragma once
// Today's date in the short format of the user's locale, and the moment in ISO 8601.
#include "core/host/calendar.h"

namespace kelvor::platform {

class LocaleCalendar final : public host::Calendar {
  public:
    std::string short_date() override;
    std::string date_time_iso() override;
};

} // namespace kelvor::platform
