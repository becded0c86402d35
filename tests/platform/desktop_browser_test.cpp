#include "platform/desktop_browser.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "core/hearing/help_pages.h"
#include "core/settings/language_tables.h"

namespace kelvor::platform {
namespace {

// Records what would have reached the desktop; opens nothing.
struct RecordingLauncher : UrlLauncher {
    bool open_url(const QUrl& url) override {
        opened.push_back(url.toString(QUrl::FullyEncoded));
        return handler_works;
    }
    bool start_detached(const QString& program, const QStringList& arguments) override {
        started.push_back({program, arguments});
        return program_starts;
    }
    bool handler_works = true;
    bool program_starts = true;
    QStringList opened;
    std::vector<std::pair<QString, QStringList>> started;
};

TEST(DesktopBrowser, StoredAddressesBecomeWebUrls) {
    const std::pair<std::string, QString> cases[] = {
        {"http:\\\\www.kelvor.example\\hilfe.html", "http://www.kelvor.example/hilfe.html"},
        {"http://www.kelvor.example/hilfe.html#PortDriver",
         "http://www.kelvor.example/hilfe.html#PortDriver"},
        {"https:\\\\www.kelvor.example\\a\\b.html", "https://www.kelvor.example/a/b.html"},
        {"  http://www.kelvor.example/  ", "http://www.kelvor.example/"},
        {"HTTP://www.kelvor.example/x.html", "http://www.kelvor.example/x.html"},
        {"http://www.kelvor.example/hilfe für alle.html", ""}, // a blank is no part of an address
        {"", ""},
        {"www.kelvor.example\\hilfe.html", ""}, // no scheme
        {"http:\\\\\\hilfe.html", ""},          // no host
        {"file:///etc/passwd", ""},
        {"javascript:alert(1)", ""},
        {"mailto:someone@kelvor.example", ""},
    };
    for (const auto& [address, expected] : cases) {
        const QUrl url = web_url(address);
        EXPECT_EQ(url.isValid(), !expected.isEmpty()) << address;
        if (url.isValid()) {
            EXPECT_EQ(url.toString(QUrl::FullyEncoded), expected) << address;
        }
    }
}

TEST(DesktopBrowser, HelpPagesOfBothLanguagesOpenAtTheMakersHost) {
    for (const settings::TextTable* table : {&settings::english_table(), &settings::german_table()}) {
        const std::string page = (*table)[settings::slot_help_page];
        const QUrl url = web_url(hearing::help_page_address(page));
        ASSERT_TRUE(url.isValid()) << page;
        EXPECT_EQ(url.host(), hearing::maker_site_host);
        EXPECT_EQ(url.path(), "/" + QString::fromStdString(page));
        EXPECT_EQ(url, web_url(hearing::help_page_url(page))); // both stored forms are one address
    }
    const QUrl drivers = web_url(hearing::port_driver_page_address());
    ASSERT_TRUE(drivers.isValid());
    EXPECT_EQ(drivers.fragment(), "PortDriver");
}

TEST(DesktopBrowser, HandlerAndProgramsGetTheUrlAndTheirAnswerCounts) {
    const std::string stored = "http:\\\\www.kelvor.example\\hilfe.html";
    for (bool works : {true, false}) {
        RecordingLauncher launcher;
        launcher.handler_works = launcher.program_starts = works;
        DesktopBrowser browser(launcher);
        EXPECT_EQ(browser.open_with_handler(stored), works);
        EXPECT_EQ(browser.start_program("x-www-browser", stored), works);
        EXPECT_EQ(launcher.opened, QStringList{"http://www.kelvor.example/hilfe.html"});
        ASSERT_EQ(launcher.started.size(), 1u);
        // The program by its plain name, the address as its one argument: nothing a shell would read.
        EXPECT_EQ(launcher.started[0].first, "x-www-browser");
        EXPECT_EQ(launcher.started[0].second, QStringList{"http://www.kelvor.example/hilfe.html"});
    }
}

TEST(DesktopBrowser, TheMakersPagesOpenAsTheLocalCopies) {
    // The real pages of the tree, by the addresses the window logic keeps; the installed folder first.
    QTemporaryDir installed;
    QFile copy(installed.filePath("kelvor_en.html"));
    ASSERT_TRUE(copy.open(QIODevice::WriteOnly));
    copy.close();
    const QString tree = help_folders().last(); // the source tree's copy
    const struct {
        std::string address;
        QString file, fragment; // empty file: stays a web address
    } rows[] = {
        {hearing::help_page_address("kelvor_en.html"), installed.filePath("kelvor_en.html"), ""},
        {hearing::help_page_address("kelvor_de.html"), tree + "/kelvor_de.html", ""},
        {hearing::port_driver_page_address(), tree + "/kelvor_de.html", "PortDriver"},
        {hearing::help_page_address("hilfe.html"), "", ""},
        {"http://www.elsewhere.example/kelvor_de.html", "", ""},
    };
    for (const auto& row : rows) {
        RecordingLauncher launcher;
        DesktopBrowser browser(launcher, {installed.path(), "/nonexistent", tree});
        ASSERT_TRUE(browser.open_with_handler(row.address));
        const QUrl opened(launcher.opened.value(0));
        EXPECT_EQ(opened.isLocalFile() ? opened.toLocalFile() : QString(), row.file) << row.address;
        EXPECT_EQ(opened.fragment(), row.fragment) << row.address;
    }
    // The section the port driver notice points to is there in both languages.
    for (const char* page : {"/kelvor_de.html", "/kelvor_en.html"}) {
        QFile html(tree + page);
        ASSERT_TRUE(html.open(QIODevice::ReadOnly)) << page;
        EXPECT_TRUE(html.readAll().contains("id=\"PortDriver\"")) << page;
    }
}

TEST(DesktopBrowser, AnAddressThatIsNoWebPageReachesNothing) {
    RecordingLauncher launcher;
    DesktopBrowser browser(launcher);
    EXPECT_FALSE(browser.open_with_handler("file:///etc/passwd"));
    EXPECT_FALSE(browser.start_program("firefox", "--headless"));
    EXPECT_FALSE(browser.start_program("", "http://www.kelvor.example/"));
    EXPECT_TRUE(launcher.opened.isEmpty());
    EXPECT_TRUE(launcher.started.empty());
}

} // namespace
} // namespace kelvor::platform
