#pragma once
// The program's files: bare names in the process's current directory. Only regular files count as
// files; a folder, a device or a pipe of that name "cannot be opened".
#include "core/host/files.h"

namespace kelvor::platform {

class WorkingFolderFiles final : public host::Files {
  public:
    bool can_open_read_write(const std::string& name) override;
    std::unique_ptr<host::LineReader> open_lines(const std::string& name) override;
    // The new content goes into a temporary file beside the old one, is flushed to the disk and then
    // renamed over it, so the old file stays whole until the new one is. An existing file that may not
    // be written is not replaced; where the folder takes no new file but the file may be written, it is
    // rewritten in place.
    host::WriteResult replace_file(const std::string& name, const std::string& content) override;
};

} // namespace kelvor::platform
