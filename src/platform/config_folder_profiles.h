#pragma once
// Hearing level profiles in the user's configuration folder: $XDG_CONFIG_HOME/kelvor, or
// ~/.config/kelvor where that is not set (or not an absolute path, as the XDG rules say).
#include "core/host/profile_store.h"
#include "platform/working_folder_files.h"

namespace kelvor::platform {

// The folder from the environment's values (null: not set).
std::string kelvor_config_folder(const char* xdg_config_home, const char* home);

// The folder the kept tests go to: $XDG_DATA_HOME/kelvor/history, or ~/.local/share/kelvor/history.
std::string kelvor_history_folder(const char* xdg_data_home, const char* home);

class ConfigFolderProfiles final : public host::ProfileStore {
  public:
    // The folder from this process's environment.
    ConfigFolderProfiles();
    explicit ConfigFolderProfiles(std::string folder) : folder_(std::move(folder)) {}

    std::vector<std::string> names(const std::string& suffix) override;
    std::string path_of(const std::string& file_name) override { return folder_ + "/" + file_name; }
    std::unique_ptr<host::LineReader> open_lines(const std::string& file_name) override;
    host::WriteResult replace_file(const std::string& file_name, const std::string& content) override;

  private:
    std::string folder_;
    WorkingFolderFiles files_; // regular files only, and the replace-by-rename
};

} // namespace kelvor::platform
