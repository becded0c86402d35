#include "platform/desktop_browser.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include "core/hearing/help_pages.h"

namespace kelvor::platform {

QUrl web_url(const std::string& address) {
    QString text = QString::fromUtf8(address.data(), static_cast<qsizetype>(address.size())).trimmed();
    text.replace(QLatin1Char('\\'), QLatin1Char('/'));
    QUrl url(text, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != "http" && scheme != "https") || url.host().isEmpty()) return {};
    return url;
}

QStringList help_folders() {
    QStringList folders;
    if (QCoreApplication::instance() != nullptr)
        folders << QDir::cleanPath(QCoreApplication::applicationDirPath() + "/../share/kelvor/help");
    folders << QStringLiteral(KELVOR_HELP_SOURCE_DIR);
    return folders;
}

QUrl local_help_url(const QUrl& url, const QStringList& folders) {
    if (!url.isValid() || url.host() != QLatin1String(hearing::maker_site_host)) return url;
    const QString page = url.path().section(QLatin1Char('/'), -1);
    if (page.isEmpty()) return url;
    for (const QString& folder : folders) {
        const QFileInfo file(QDir(folder), page);
        if (!file.isFile()) continue;
        QUrl local = QUrl::fromLocalFile(file.absoluteFilePath());
        local.setFragment(url.fragment());
        return local;
    }
    return url;
}

QUrl DesktopBrowser::url_of(const std::string& address) const {
    return local_help_url(web_url(address), help_folders_);
}

bool DesktopLauncher::open_url(const QUrl& url) {
    return QDesktopServices::openUrl(url);
}

bool DesktopLauncher::start_detached(const QString& program, const QStringList& arguments) {
    return QProcess::startDetached(program, arguments);
}

bool DesktopBrowser::open_with_handler(const std::string& address) {
    const QUrl url = url_of(address);
    return url.isValid() && launcher_.open_url(url);
}

bool DesktopBrowser::start_program(const std::string& program, const std::string& address) {
    const QUrl url = url_of(address);
    if (!url.isValid() || program.empty()) return false;
    return launcher_.start_detached(QString::fromStdString(program), {url.toString(QUrl::FullyEncoded)});
}

} // namespace kelvor::platform
