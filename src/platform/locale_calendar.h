#pragma once
// Today's date in the short format of the user's locale.
#include "core/host/calendar.h"

namespace kelvor::platform {

class LocaleCalendar final : public host::Calendar {
  public:
    std::string short_date() override;
};

} // namespace kelvor::platform
