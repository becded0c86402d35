#include "core/common/file_replacement.h"

#include <cerrno>

namespace kelvor {

namespace {

host::WriteResult in_place(ReplacementSteps& steps, const std::string& content) {
    if (const int error = steps.open_in_place(); error != 0)
        return {host::WriteResult::Status::cannot_create, steps.describe(error)};
    if (const int error = steps.fill_in_place(content); error != 0)
        return {host::WriteResult::Status::failed, steps.describe(error)};
    return {};
}

} // namespace

host::WriteResult replace_with_steps(ReplacementSteps& steps, const std::string& content) {
    const ReplacementSteps::Target target = steps.target();
    if (target.kind == ReplacementSteps::Kind::other)
        return {host::WriteResult::Status::cannot_create, steps.describe(EISDIR)};
    // Replacing a file that may not be written would go round its protection.
    if (target.kind == ReplacementSteps::Kind::regular && target.write_error != 0)
        return {host::WriteResult::Status::cannot_create, steps.describe(target.write_error)};
    const bool same_file_after_rename =
        target.renamable && (target.kind == ReplacementSteps::Kind::missing || (target.links == 1 && target.ours));
    if (!same_file_after_rename || steps.make_temp() != 0) return in_place(steps, content);

    if (const int error = steps.fill_temp(content); error != 0) {
        // The disk filled up or failed: the old file is still whole, and rewriting it would risk it.
        steps.drop_temp();
        return {host::WriteResult::Status::failed, steps.describe(error)};
    }
    if (steps.rename_temp() != 0) {
        // Renamed over, the target refuses (a file bind-mounted into place says "busy"); writing into it works.
        steps.drop_temp();
        return in_place(steps, content);
    }
    steps.sync_folder(); // the rename itself reaches the disk with the folder
    return {};
}

} // namespace kelvor
