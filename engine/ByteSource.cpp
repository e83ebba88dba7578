#include "engine/ByteSource.h"

#include <algorithm>
#include <cstring>

#include "platform/Files.h"

namespace habitual {

std::unique_ptr<TFileSource> TFileSource::Open(const char* path) {
    if (!path) return nullptr;
    std::FILE* f = OpenFile(path, "rb");
    if (!f) return nullptr;
    const std::optional<std::uint64_t> size = RegularFileSize(f);
    if (!size) {
        std::fclose(f);
        return nullptr;
    }
    return std::unique_ptr<TFileSource>(new TFileSource(f, *size, path));
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
    Error = !SetFilePosition(Stream, Start);
    return !Error;
}

std::unique_ptr<TByteSource> TFileSource::OpenAt(std::uint64_t offset) const {
    // Opened again by name: a file replaced in between shows in its size.
    std::unique_ptr<TFileSource> again = Open(Path.c_str());
    if (!again || again->Size != Size || offset > Size) return nullptr;
    again->Start = offset;
    if (!again->Rewind()) return nullptr;
    return again;
}

std::size_t TFileSource::ReadAt(std::uint64_t offset, unsigned char* buffer, std::size_t size) {
    const std::optional<std::uint64_t> here = FilePosition(Stream);
    if (!here || !SetFilePosition(Stream, offset)) return 0;
    const std::size_t n = std::fread(buffer, 1, size, Stream);
    std::clearerr(Stream);
    SetFilePosition(Stream, *here);
    return n;
}

std::size_t TMemorySource::Read(unsigned char* buffer, std::size_t size) {
    const std::size_t n = std::min(size, Bytes.size() - Pos);
    std::memcpy(buffer, Bytes.data() + Pos, n);
    Pos += n;
    return n;
}

std::unique_ptr<TByteSource> TMemorySource::OpenAt(std::uint64_t offset) const {
    if (offset > Bytes.size()) return nullptr;
    return std::make_unique<TMemorySource>(Bytes.substr(static_cast<std::size_t>(offset)));
}

} // namespace habitual
