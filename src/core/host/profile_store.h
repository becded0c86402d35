#pragma once
// The user's configuration folder, where hearing level profiles live: one file per profile.
#include <memory>
#include <string>
#include <vector>

#include "core/host/files.h"

namespace kelvor::host {

class ProfileStore {
  public:
    virtual ~ProfileStore() = default;
    // The names of the files in the folder that end in `suffix`, without it, sorted; none when the folder
    // does not exist yet.
    virtual std::vector<std::string> names(const std::string& suffix) = 0;
    // The file's full path, for messages.
    virtual std::string path_of(const std::string& file_name) = 0;
    // Null when the file cannot be opened.
    virtual std::unique_ptr<LineReader> open_lines(const std::string& file_name) = 0;
    // Creates the folder when missing; replaces the file whole, the old content staying until the new is
    // complete on the disk.
    virtual WriteResult replace_file(const std::string& file_name, const std::string& content) = 0;
};

} // namespace kelvor::host
