#pragma once
// Opening the help pages on a Linux desktop: the desktop's handler for web addresses (xdg-open behind
// QDesktopServices), or a browser program started by name with the address as its only argument, never
// through a shell. The window logic keeps the help address with backslashes ("http:\\host\page"); Qt
// would percent-encode each of them into an address without a host, so every address becomes a real URL
// here first, and anything but a web address with a host is refused.
#include <QStringList>
#include <QUrl>

#include "core/host/browser.h"

namespace kelvor::platform {

// The address as a web URL: backslashes read as slashes; invalid (QUrl::isValid false) unless the result
// is an http or https address with a host.
QUrl web_url(const std::string& address);

// What the browser asks of the desktop; tests record it instead of opening anything.
class UrlLauncher {
  public:
    virtual ~UrlLauncher() = default;
    virtual bool open_url(const QUrl& url) = 0;
    virtual bool start_detached(const QString& program, const QStringList& arguments) = 0;
};

// QDesktopServices::openUrl and QProcess::startDetached. On a desktop with xdg-open the handler counts
// as started as soon as xdg-open runs, whatever it then manages.
class DesktopLauncher final : public UrlLauncher {
  public:
    bool open_url(const QUrl& url) override;
    bool start_detached(const QString& program, const QStringList& arguments) override;
};

class DesktopBrowser final : public host::Browser {
  public:
    explicit DesktopBrowser(UrlLauncher& launcher) : launcher_(launcher) {}
    bool open_with_handler(const std::string& address) override;
    bool start_program(const std::string& program, const std::string& address) override;

  private:
    UrlLauncher& launcher_;
};

} // namespace kelvor::platform
