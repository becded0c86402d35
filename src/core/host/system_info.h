#pragma once
// What the program asks of the operating system: its family and version, two directories and whether a
// file exists.
#include <cstdint>
#include <string>

namespace kelvor::host {

constexpr std::uint32_t platform_win32s = 0;
constexpr std::uint32_t platform_windows_95 = 1; // the 95/98/ME family
constexpr std::uint32_t platform_windows_nt = 2; // the NT/2000/XP family

struct OsVersion {
    std::uint32_t platform_id = platform_windows_95;
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
    std::uint32_t build = 0;
};

class SystemInfo {
  public:
    virtual ~SystemInfo() = default;
    virtual OsVersion os_version() = 0;
    virtual std::string system_directory() = 0;
    virtual std::string current_directory() = 0;
    // True when a file exists at `path` (the port driver looks for its driver file before installing it).
    virtual bool file_exists(const std::string& path) = 0;
};

} // namespace kelvor::host
