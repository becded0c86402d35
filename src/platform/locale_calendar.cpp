#include "platform/locale_calendar.h"

#include <QDate>
#include <QLocale>

namespace kelvor::platform {

std::string LocaleCalendar::short_date() {
    return QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat).toStdString();
}

} // namespace kelvor::platform
