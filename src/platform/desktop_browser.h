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

// The help pages ship with the program: where they are looked for, in order. The installed copy beside
// the program (<prefix>/share/kelvor/help for <prefix>/bin/kelvor), then the source tree's copy, for a
// build run from the tree.
QStringList help_folders();
// A page of the maker's site as the local copy that the first of `folders` holding it has, its anchor
// kept; any other address, or a page no folder holds, as it is.
QUrl local_help_url(const QUrl& url, const QStringList& folders);

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
    explicit DesktopBrowser(UrlLauncher& launcher, QStringList folders = help_folders())
        : launcher_(launcher), help_folders_(std::move(folders)) {}
    bool open_with_handler(const std::string& address) override;
    bool start_program(const std::string& program, const std::string& address) override;

  private:
    QUrl url_of(const std::string& address) const;
    UrlLauncher& launcher_;
    QStringList help_folders_;
};

} // namespace kelvor::platform
