#include "platform/Folder.h"

#include <filesystem>
#include <system_error>

namespace habitual {

// The standard library has a side for each system here.
bool MakeFolders(const std::string& path) {
    if (path.empty()) return false;
    std::error_code error;
    // UTF-8 to the system's own form of a path (UTF-16 on Windows).
    const std::filesystem::path native(std::u8string(path.begin(), path.end()));
    std::filesystem::create_directories(native, error);
    return std::filesystem::is_directory(native, error);
}

} // namespace habitual
