// Files the tests write and remove again.
#pragma once

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

namespace habitual::test {

class TempFile {
public:
    explicit TempFile(const std::string& bytes, const std::string& suffix = ".csv") {
        char name[] = "/tmp/habitual-test-XXXXXX";
        int fd = mkstemp(name);
        close(fd);
        std::remove(name);
        Path = std::string(name) + suffix;
        Write(bytes);
    }
    ~TempFile() { std::remove(Path.c_str()); }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    void Write(const std::string& bytes) const { std::ofstream(Path, std::ios::binary) << bytes; }
    std::string Read() const { return ReadFile(Path); }

    static std::string ReadFile(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    std::string Path;
};

} // namespace habitual::test
