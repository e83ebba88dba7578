#include <sys/stat.h>

#include "platform/Files.h"

namespace habitual {

std::FILE* OpenFile(const std::string& path, const char* mode) {
    return std::fopen(path.c_str(), mode);
}

std::optional<std::uint64_t> RegularFileSize(std::FILE* file) {
    struct stat st;
    if (!file || fstat(fileno(file), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    return static_cast<std::uint64_t>(st.st_size);
}

std::optional<std::uint64_t> FilePosition(std::FILE* file) {
    const off_t at = ftello(file);
    if (at < 0) return std::nullopt;
    return static_cast<std::uint64_t>(at);
}

bool SetFilePosition(std::FILE* file, std::uint64_t offset) {
    return fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0;
}

} // namespace habitual
