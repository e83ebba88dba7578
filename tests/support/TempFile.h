// Files the tests write and remove again, in the system's folder for
// temporary files. Paths are UTF-8, as the program's are.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <system_error>

namespace habitual::test {

// A UTF-8 path as the standard library's path (the ANSI code page is never
// involved on Windows).
inline std::filesystem::path FsPath(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

inline std::string Utf8Path(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

// A name no other test uses, in the folder for temporary files.
inline std::string UniqueTempPath(const std::string& stem) {
    static std::mt19937_64 random{std::random_device{}()};
    const std::uint64_t tag = random();
    char hex[17];
    for (int i = 0; i < 16; ++i) hex[i] = "0123456789abcdef"[(tag >> (4 * i)) & 15];
    hex[16] = '\0';
    return Utf8Path(std::filesystem::temp_directory_path() / (stem + hex));
}

class TempFile {
public:
    explicit TempFile(const std::string& bytes, const std::string& suffix = ".csv")
        : Path(UniqueTempPath("habitual-test-") + suffix) {
        Write(bytes);
    }
    ~TempFile() {
        std::error_code ignored;
        std::filesystem::remove(FsPath(Path), ignored);
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    void Write(const std::string& bytes) const {
        std::ofstream(FsPath(Path), std::ios::binary) << bytes;
    }
    std::string Read() const { return ReadFile(Path); }

    static std::string ReadFile(const std::string& path) {
        std::ifstream in(FsPath(path), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    std::string Path;
};

} // namespace habitual::test
