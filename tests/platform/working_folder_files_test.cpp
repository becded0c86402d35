#include "platform/working_folder_files.h"

#include <QDir>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/chart/curves.h"
#include "core/results/results_commands.h"
#include "platform/working_folder.h"
#include "support/fake_host.h"
#include "support/fake_test_seams.h"
#include "support/recording_canvas.h"

namespace kelvor::platform {
namespace {

using host::LineReader;
using host::WriteResult;
using testing::file_content;
using testing::put_file;
using testing::WorkingFolder;

std::vector<std::string> read_all(host::Files& files, const std::string& name) {
    std::vector<std::string> lines;
    auto reader = files.open_lines(name);
    if (!reader) return {"<cannot be opened>"};
    std::string line;
    LineReader::Status status;
    while ((status = reader->read_line(line)) == LineReader::Status::line)
        lines.push_back(line);
    if (status == LineReader::Status::error) lines.push_back("<error " + reader->error_text() + ">");
    return lines;
}

// Names in the folder other than the ones given (temporary files left behind would show here).
QStringList others(const QStringList& expected) {
    QStringList names =
        QDir(".").entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& e : expected)
        names.removeAll(e);
    return names;
}

TEST(WorkingFolderFiles, ReplacesWholeAndReadsLinesBack) {
    WorkingFolder folder;
    WorkingFolderFiles files;
    EXPECT_EQ(read_all(files, "Kelvor.dat"), (std::vector<std::string>{"<cannot be opened>"}));
    EXPECT_FALSE(files.can_open_read_write("Kelvor.dat"));

    ASSERT_TRUE(files.replace_file("Kelvor.dat", "(; la; 1000; 25; ); \r\nlast").ok());
    EXPECT_EQ(file_content("Kelvor.dat"), "(; la; 1000; 25; ); \r\nlast");
    EXPECT_EQ(read_all(files, "Kelvor.dat"), (std::vector<std::string>{"(; la; 1000; 25; ); ", "last"}));
    EXPECT_TRUE(files.can_open_read_write("Kelvor.dat"));

    ::chmod("Kelvor.dat", 0640); // the file's own permissions survive a replace
    ASSERT_TRUE(files.replace_file("Kelvor.dat", "").ok());
    EXPECT_EQ(file_content("Kelvor.dat"), "");
    EXPECT_TRUE(read_all(files, "Kelvor.dat").empty());
    struct stat st {};
    ::stat("Kelvor.dat", &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_TRUE(others({"Kelvor.dat"}).isEmpty()) << others({"Kelvor.dat"}).join(",").toStdString();
}

TEST(WorkingFolderFiles, LongLinesAndBinaryData) {
    WorkingFolder folder;
    WorkingFolderFiles files;
    std::string data(200000, 'x');
    data += "\r\n";
    data += std::string("a\0b\xff", 4);
    put_file("Kelvor.dat", data);
    const auto lines = read_all(files, "Kelvor.dat");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], std::string(LineSplitter::default_max_line_bytes, 'x'));
    EXPECT_EQ(lines[1], std::string("a\0b\xff", 4));
}

TEST(WorkingFolderFiles, AFileLargerThanAnyResultsFileIsNotRead) {
    WorkingFolder folder;
    WorkingFolderFiles files;
    const std::string line = "(; la; 1000; 25; ); \r\n";
    std::string at_limit;
    while (at_limit.size() + line.size() <= host::line_file_size_limit)
        at_limit += line;
    at_limit.resize(host::line_file_size_limit, ' ');
    put_file("Kelvor.dat", at_limit);
    EXPECT_EQ(read_all(files, "Kelvor.dat").front(), "(; la; 1000; 25; ); ");
    put_file("Kelvor.dat", at_limit + "x");
    EXPECT_EQ(read_all(files, "Kelvor.dat"),
              (std::vector<std::string>{"<error larger than a results file can be (1048577 bytes)>"}));
    EXPECT_TRUE(files.can_open_read_write("Kelvor.dat")); // it is there: Start takes it as used before
}

TEST(WorkingFolderFiles, OnlyRegularFilesAreFiles) {
    WorkingFolder folder;
    WorkingFolderFiles files;
    ASSERT_EQ(::mkdir("Kelvor.dat", 0755), 0);
    ASSERT_EQ(::mkfifo("Kelvor.txt", 0644), 0); // opening a pipe for reading would wait for a writer
    ASSERT_EQ(::symlink("/dev/zero", "screen.bmp"), 0);
    for (const char* name : {"Kelvor.dat", "Kelvor.txt", "screen.bmp"}) {
        EXPECT_EQ(files.open_lines(name), nullptr) << name;
        EXPECT_FALSE(files.can_open_read_write(name)) << name;
        EXPECT_EQ(files.replace_file(name, "x").status, WriteResult::Status::cannot_create) << name;
    }
    struct stat st {};
    ASSERT_EQ(::lstat("screen.bmp", &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
}

TEST(WorkingFolderFiles, ALinkedFileIsReplacedWhereItLies) {
    WorkingFolder folder;
    WorkingFolderFiles files;
    ASSERT_EQ(::mkdir("elsewhere", 0755), 0);
    put_file("elsewhere/results", "old");
    ASSERT_EQ(::symlink("elsewhere/results", "Kelvor.dat"), 0);
    ASSERT_TRUE(files.replace_file("Kelvor.dat", "new").ok());
    EXPECT_EQ(file_content("elsewhere/results"), "new");
    struct stat st {};
    ASSERT_EQ(::lstat("Kelvor.dat", &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
}

TEST(WorkingFolderFiles, AWriteThatBreaksOffKeepsTheOldFile) {
    WorkingFolder folder;
    WorkingFolderFiles files;
    put_file("Kelvor.dat", "(; la; 1000; 25; ); \r\n");
    // A file size limit makes writes fail past 16 bytes, as a full disk would.
    struct rlimit old_limit {};
    ::getrlimit(RLIMIT_FSIZE, &old_limit);
    const auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old_limit;
    small.rlim_cur = 16;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const WriteResult result = files.replace_file("Kelvor.dat", std::string(100, 'y'));
    ::setrlimit(RLIMIT_FSIZE, &old_limit);
    std::signal(SIGXFSZ, old_handler);

    EXPECT_EQ(result.status, WriteResult::Status::failed);
    EXPECT_EQ(result.error, "File too large");
    EXPECT_EQ(file_content("Kelvor.dat"), "(; la; 1000; 25; ); \r\n");
    EXPECT_TRUE(others({"Kelvor.dat"}).isEmpty()) << others({"Kelvor.dat"}).join(",").toStdString();
}

// The Save and Read commands in a folder the user may not write to: each file gets its message, the old
// results file stays as it was and can still be read.
TEST(WorkingFolderFiles, ReadOnlyFolder) {
    WorkingFolder folder;
    WorkingFolderFiles files;
    put_file("Kelvor.dat", "(; ra; 2000; 15; ); \r\n");
    ::chmod("Kelvor.dat", 0644);
    ::chmod(".", 0555);

    hearing::TestState state;
    chart::build_norm_values(state.norm_values);
    hearing::MessungControls c;
    testing::FakeChart chart;
    testing::RecordingImage li(240, 160), re(240, 160);
    testing::FakeDialogs dialogs;
    testing::FakePrintJob printer;
    testing::FakeCalendar calendar;
    testing::FakeWindowCapture window;
    results::ResultsCommands commands{
        {state, c, chart, li, re, files, dialogs, printer, calendar, window, {}}};
    hearing::set_result_entry(state.results_li, 10, 1000, 30);
    {
        testing::AsOrdinaryUser user;
        commands.speichernClick();
        EXPECT_FALSE(files.can_open_read_write("Kelvor.dat"));
        commands.lesen1Click();
    }
    EXPECT_EQ(dialogs.shown,
              (std::vector<std::string>{"Fehler / Erzeugung: Kelvor.txt", "Fehler / Erzeugung: Kelvor.dat"}));
    EXPECT_EQ(file_content("Kelvor.dat"), "(; ra; 2000; 15; ); \r\n");
    EXPECT_EQ(state.results_re.entries[14].level, 15);
    EXPECT_TRUE(others({"Kelvor.dat"}).isEmpty());
}

TEST(WorkingFolderFiles, WritableFileInAReadOnlyFolderIsRewrittenInPlace) {
    WorkingFolder folder;
    WorkingFolderFiles files;
    put_file("Kelvor.dat", "old");
    ::chmod("Kelvor.dat", 0666);
    ::chmod(".", 0555);
    WriteResult result;
    {
        testing::AsOrdinaryUser user;
        result = files.replace_file("Kelvor.dat", "new");
    }
    EXPECT_TRUE(result.ok()) << result.error;
    EXPECT_EQ(file_content("Kelvor.dat"), "new");
}

TEST(WorkingFolderFiles, AFileMountedIntoPlaceIsRewrittenWhereTheRenameIsRefused) {
    // A single file bind-mounted over Kelvor.dat (a container's volume of one file) cannot be renamed
    // over; the save writes into it instead. Done in a child with a mount namespace of its own.
    WorkingFolder folder;
    put_file("outside.dat", "old");
    put_file("Kelvor.dat", "");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("outside.dat", "Kelvor.dat", nullptr, MS_BIND, nullptr) != 0)
            ::_exit(77);
        const WriteResult result = WorkingFolderFiles().replace_file("Kelvor.dat", "new");
        ::_exit(result.ok() && file_content("outside.dat") == "new" ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 77) GTEST_SKIP() << "no mount namespace of our own here (needs root)";
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(file_content("outside.dat"), "new");
    // A second name of the file sees the new content too.
    ASSERT_EQ(::link("outside.dat", "second.dat"), 0);
    ASSERT_TRUE(WorkingFolderFiles().replace_file("outside.dat", "newer").ok());
    EXPECT_EQ(file_content("second.dat"), "newer");
}

} // namespace
} // namespace kelvor::platform
