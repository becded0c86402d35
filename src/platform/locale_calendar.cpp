#include "platform/locale_calendar.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>

namespace kelvor::platform {

std::string LocaleCalendar::short_date() {
    return QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat).toStdString();
}

std::string LocaleCalendar::date_time_iso() {
    // To the second, with the offset written out (Qt writes "Z" for UTC).
    QDateTime now = QDateTime::currentDateTime();
    now = now.toOffsetFromUtc(now.offsetFromUtc());
    return now.toString(Qt::ISODate).toStdString();
}

} // namespace kelvor::platform
