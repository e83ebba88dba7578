#include "engine/ByteSource.h"

#include <algorithm>
#include <cstring>
#include <sys/stat.h>

namespace habitual {

std::unique_ptr<TFileSource> TFileSource::Open(const char* path) {
    if (!path) return nullptr;
    std::FILE* f = std::fopen(path, "rb");
    if (!f) return nullptr;
    struct stat st;
    if (fstat(fileno(f), &st) != 0 || !S_ISREG(st.st_mode)) {
        std::fclose(f);
        return nullptr;
    }
    return std::unique_ptr<TFileSource>(new TFileSource(f, static_cast<std::uint64_t>(st.st_size)));
}

TFileSource::~TFileSource() {
    std::fclose(Stream);
}

std::size_t TFileSource::Read(unsigned char* buffer, std::size_t size) {
    if (Error) return 0;
    const std::size_t n = std::fread(buffer, 1, size, Stream);
    if (n == 0 && std::ferror(Stream)) Error = true;
    return n;
}

bool TFileSource::Rewind() {
    std::clearerr(Stream);
    Error = std::fseek(Stream, 0, SEEK_SET) != 0;
    return !Error;
}

std::size_t TFileSource::ReadAt(std::uint64_t offset, unsigned char* buffer, std::size_t size) {
    const long here = std::ftell(Stream);
    if (here < 0 || std::fseek(Stream, static_cast<long>(offset), SEEK_SET) != 0) return 0;
    const std::size_t n = std::fread(buffer, 1, size, Stream);
    std::clearerr(Stream);
    std::fseek(Stream, here, SEEK_SET);
    return n;
}

std::size_t TMemorySource::Read(unsigned char* buffer, std::size_t size) {
    const std::size_t n = std::min(size, Bytes.size() - Pos);
    std::memcpy(buffer, Bytes.data() + Pos, n);
    Pos += n;
    return n;
}

} // namespace habitual
