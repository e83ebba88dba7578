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

} // namespace habitual
