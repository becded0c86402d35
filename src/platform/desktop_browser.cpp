#include "platform/desktop_browser.h"

#include <QDesktopServices>
#include <QProcess>

namespace kelvor::platform {

QUrl web_url(const std::string& address) {
    QString text = QString::fromUtf8(address.data(), static_cast<qsizetype>(address.size())).trimmed();
    text.replace(QLatin1Char('\\'), QLatin1Char('/'));
    QUrl url(text, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != "http" && scheme != "https") || url.host().isEmpty()) return {};
    return url;
}

bool DesktopLauncher::open_url(const QUrl& url) {
    return QDesktopServices::openUrl(url);
}

bool DesktopLauncher::start_detached(const QString& program, const QStringList& arguments) {
    return QProcess::startDetached(program, arguments);
}

bool DesktopBrowser::open_with_handler(const std::string& address) {
    const QUrl url = web_url(address);
    return url.isValid() && launcher_.open_url(url);
}

bool DesktopBrowser::start_program(const std::string& program, const std::string& address) {
    const QUrl url = web_url(address);
    if (!url.isValid() || program.empty()) return false;
    return launcher_.start_detached(QString::fromStdString(program), {url.toString(QUrl::FullyEncoded)});
}

} // namespace kelvor::platform
