#pragma once
// How a file is replaced so that a crash or a full disk never leaves it half written, and how that
// gives way where a new file renamed over the old one would not be the same file any more.
#include <string>

#include "core/host/files.h"

namespace kelvor {

// The steps of a replacement, each one system call or a few; each returns 0 or an errno value.
class ReplacementSteps {
  public:
    enum class Kind { missing, regular, other };
    struct Target {
        Kind kind = Kind::missing;
        unsigned links = 1;  // names the file has
        bool ours = true;    // owned by the user the program runs as
        int write_error = 0; // opening the existing file for writing failed with this errno (0: it may be written)
        bool renamable = true; // false for a link to nothing: a rename would replace the link, not create its file
    };
    virtual ~ReplacementSteps() = default;
    virtual Target target() = 0;
    virtual int make_temp() = 0; // a new file beside the target, with the target's permissions
    virtual int fill_temp(const std::string& content) = 0; // write, flush to the disk, close
    virtual int rename_temp() = 0;                         // over the target
    virtual void drop_temp() = 0;
    virtual void sync_folder() = 0;
    virtual int open_in_place() = 0; // the target truncated (created where missing)
    virtual int fill_in_place(const std::string& content) = 0;
    virtual std::string describe(int error) = 0;
};

// Replaces the target with `content`. The common case writes a temporary file and renames it over the
// target, so the old content stays whole until the new one is on the disk. Where a rename would not give
// the same file back (the file has other names, which would keep the old content; another user owns it,
// whose ownership, ACLs and attributes the new file would not have) or cannot be done at all (the folder
// takes no new file; the target is a single file mounted into place), the file is rewritten in place.
host::WriteResult replace_with_steps(ReplacementSteps& steps, const std::string& content);

} // namespace kelvor
