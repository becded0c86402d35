// Which way a file is replaced: a temporary file renamed over it where that gives the same file back,
// otherwise (or when the rename is refused) the file itself rewritten.
#include "core/common/file_replacement.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

namespace kelvor {
namespace {

using Kind = ReplacementSteps::Kind;
using Status = host::WriteResult::Status;

// Each step as it was called, one letter each; the errno each step answers is set per case.
struct ScriptedSteps final : ReplacementSteps {
    Target file;
    int make = 0, fill = 0, rename = 0, open = 0, write = 0;
    std::string calls;

    Target target() override { return file; }
    int make_temp() override { return calls += 'm', make; }
    int fill_temp(const std::string&) override { return calls += 'f', fill; }
    int rename_temp() override { return calls += 'r', rename; }
    void drop_temp() override { calls += 'd'; }
    void sync_folder() override { calls += 's'; }
    int open_in_place() override { return calls += 'O', open; }
    int fill_in_place(const std::string&) override { return calls += 'W', write; }
    std::string describe(int error) override { return "errno " + std::to_string(error); }
};

TEST(FileReplacement, RenamesWhereThatKeepsTheFileAndWritesInPlaceOtherwise) {
    const ReplacementSteps::Target missing{}, mine{Kind::regular, 1, true, 0, true};
    const struct {
        const char* why;
        ReplacementSteps::Target file;
        int make, fill, rename, open, write;
        const char* calls;
        Status status;
    } rows[] = {
        {"a new file", missing, 0, 0, 0, 0, 0, "mfrs", Status::written},
        {"our file with one name", mine, 0, 0, 0, 0, 0, "mfrs", Status::written},
        {"rename refused (bind-mounted file)", mine, 0, 0, EBUSY, 0, 0, "mfrdOW", Status::written},
        {"rename refused, writing fails too", mine, 0, 0, EBUSY, 0, ENOSPC, "mfrdOW", Status::failed},
        {"a second hard link", {Kind::regular, 2, true, 0, true}, 0, 0, 0, 0, 0, "OW", Status::written},
        {"another user's file", {Kind::regular, 1, false, 0, true}, 0, 0, 0, 0, 0, "OW", Status::written},
        {"a link to nothing", {Kind::missing, 1, true, 0, false}, 0, 0, 0, 0, 0, "OW", Status::written},
        {"the folder takes no new file", mine, EACCES, 0, 0, 0, 0, "mOW", Status::written},
        {"the folder takes nothing at all", missing, EACCES, 0, 0, EACCES, 0, "mO", Status::cannot_create},
        {"disk full writing the new file", mine, 0, ENOSPC, 0, 0, 0, "mfd", Status::failed},
        {"the file may not be written", {Kind::regular, 1, true, EACCES, true}, 0, 0, 0, 0, 0, "",
         Status::cannot_create},
        {"a folder of that name", {Kind::other, 1, true, 0, true}, 0, 0, 0, 0, 0, "", Status::cannot_create},
    };
    for (const auto& row : rows) {
        ScriptedSteps steps;
        steps.file = row.file;
        steps.make = row.make, steps.fill = row.fill, steps.rename = row.rename;
        steps.open = row.open, steps.write = row.write;
        const host::WriteResult result = replace_with_steps(steps, "new");
        EXPECT_EQ(steps.calls, row.calls) << row.why;
        EXPECT_EQ(result.status, row.status) << row.why;
        EXPECT_EQ(result.error.empty(), row.status == Status::written) << row.why;
    }
}

} // namespace
} // namespace kelvor
