#include "platform/config_folder_profiles.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>

namespace kelvor::platform {

namespace {

// Makes the folder and its missing parents (0700 for new ones, as configuration folders are); an errno
// value or 0.
int make_folders(const std::string& path) {
    for (std::size_t at = 1; at <= path.size(); ++at) {
        if (at != path.size() && path[at] != '/') continue;
        const std::string part = path.substr(0, at);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return errno;
    }
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return errno;
    return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
}

} // namespace

std::string kelvor_config_folder(const char* xdg_config_home, const char* home) {
    if (xdg_config_home != nullptr && xdg_config_home[0] == '/')
        return std::string(xdg_config_home) + "/kelvor";
    return std::string(home != nullptr && home[0] != '\0' ? home : "") + "/.config/kelvor";
}

std::string kelvor_history_folder(const char* xdg_data_home, const char* home) {
    if (xdg_data_home != nullptr && xdg_data_home[0] == '/')
        return std::string(xdg_data_home) + "/kelvor/history";
    return std::string(home != nullptr && home[0] != '\0' ? home : "") + "/.local/share/kelvor/history";
}

ConfigFolderProfiles::ConfigFolderProfiles()
    : folder_(kelvor_config_folder(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"))) {}

std::vector<std::string> ConfigFolderProfiles::names(const std::string& suffix) {
    std::vector<std::string> out;
    DIR* dir = ::opendir(folder_.c_str());
    if (dir == nullptr) return out;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.size() > suffix.size() &&
            name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
            out.push_back(name.substr(0, name.size() - suffix.size()));
    }
    ::closedir(dir);
    std::sort(out.begin(), out.end());
    return out;
}

std::unique_ptr<host::LineReader> ConfigFolderProfiles::open_lines(const std::string& file_name) {
    return files_.open_lines(path_of(file_name));
}

host::WriteResult ConfigFolderProfiles::replace_file(const std::string& file_name,
                                                     const std::string& content) {
    if (const int error = make_folders(folder_); error != 0)
        return {host::WriteResult::Status::cannot_create, folder_ + ": " + std::strerror(error)};
    return files_.replace_file(path_of(file_name), content);
}

} // namespace kelvor::platform
