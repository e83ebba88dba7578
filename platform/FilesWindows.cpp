#include <io.h>
#include <windows.h>

#include "platform/Files.h"
#include "platform/WindowsText.h"

namespace habitual {

std::FILE* OpenFile(const std::string& path, const char* mode) {
    return _wfopen(windows::WidePath(path).c_str(), windows::Wide(mode).c_str());
}

std::optional<std::uint64_t> RegularFileSize(std::FILE* file) {
    if (!file) return std::nullopt;
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
    if (handle == INVALID_HANDLE_VALUE || GetFileType(handle) != FILE_TYPE_DISK)
        return std::nullopt; // a device (NUL, CON) or a pipe
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(handle, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return std::nullopt;
    return (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
}

std::optional<std::uint64_t> FilePosition(std::FILE* file) {
    const __int64 at = _ftelli64(file);
    if (at < 0) return std::nullopt;
    return static_cast<std::uint64_t>(at);
}

bool SetFilePosition(std::FILE* file, std::uint64_t offset) {
    return _fseeki64(file, static_cast<__int64>(offset), SEEK_SET) == 0;
}

} // namespace habitual
