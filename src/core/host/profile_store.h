#pragma once
// The user's configuration folder, where hearing level profiles live: one file per profile.
#include <memory>
#include <optional>
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

// Every line of one file of the folder; nothing, and `error` naming the file and why, when it cannot be
// opened or read to its end.
inline std::optional<std::vector<std::string>> read_folder_file(ProfileStore& folder, const std::string& file,
                                                                std::string& error) {
    auto reader = folder.open_lines(file);
    if (reader == nullptr) {
        error = folder.path_of(file) + ": cannot be opened";
        return std::nullopt;
    }
    std::vector<std::string> lines;
    std::string line;
    LineReader::Status status;
    while ((status = reader->read_line(line)) == LineReader::Status::line)
        lines.push_back(line);
    if (status == LineReader::Status::error) {
        error = folder.path_of(file) + ": " + reader->error_text();
        return std::nullopt;
    }
    return lines;
}

} // namespace kelvor::host
