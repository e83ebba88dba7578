// Helpers shared by the fuzz targets: a failed check aborts with a message,
// so that libFuzzer (or the replay program) reports the input that broke it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <unistd.h>

#include "engine/Encoding.h"

#define FUZZ_CHECK(cond)                                                                           \
    do {                                                                                           \
        if (!(cond)) {                                                                             \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond);          \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)

namespace habitual::fuzz {

// The engine reads files, not memory: each process overwrites one file of its
// own, removed again when the process ends.
class TScratchFile {
public:
    explicit TScratchFile(const char* tag) {
        Path = "/tmp/habitual-fuzz-" + std::string(tag) + "-" + std::to_string(getpid()) + ".bin";
    }
    ~TScratchFile() { std::remove(Path.c_str()); }
    void Write(const std::uint8_t* data, std::size_t size) const {
        std::FILE* f = std::fopen(Path.c_str(), "wb");
        FUZZ_CHECK(f != nullptr);
        FUZZ_CHECK(std::fwrite(data, 1, size, f) == size);
        FUZZ_CHECK(std::fclose(f) == 0);
    }
    std::string Path;
};

// A line never ends with the first byte of a double-byte character, counting
// characters from the start of the line.
inline bool EndsWithLoneLeadByte(std::string_view line) {
    bool lead = false;
    for (char c : line) lead = !lead && IsCp932LeadByte(static_cast<unsigned char>(c));
    return lead;
}

} // namespace habitual::fuzz
