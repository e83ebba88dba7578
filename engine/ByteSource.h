// Where the survey reader takes its bytes from: a file as it lies on disk, a
// UTF-8 file turned into CP932 as it is read, or a workbook sheet turned into
// comma-separated rows. The reader applies its one set of rules to whatever
// CP932 bytes a source gives.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

namespace habitual {

class TByteSource {
public:
    virtual ~TByteSource() = default;
    // Up to size bytes into buffer; 0 at the end of the data or after an error.
    virtual std::size_t Read(unsigned char* buffer, std::size_t size) = 0;
    // Back to the first byte. False when the source cannot start again.
    virtual bool Rewind() = 0;
    // True when reading stopped at an error rather than at the end.
    virtual bool Failed() const = 0;
    // About how many bytes the source gives in all (room to reserve).
    virtual std::uint64_t SizeHint() const = 0;
    // A second source of the same bytes from offset on, read independently
    // of this one (on another thread, say); nullptr where the bytes cannot
    // be read twice at once.
    virtual std::unique_ptr<TByteSource> OpenAt(std::uint64_t offset) const {
        (void)offset;
        return nullptr;
    }
};

// A regular file, read as it is.
class TFileSource : public TByteSource {
public:
    // nullptr when path names no regular file that can be read: only a
    // regular file can be read twice, once to count and once to take the
    // rows; a pipe or a device would give a run over nothing, or none that
    // ends.
    static std::unique_ptr<TFileSource> Open(const char* path);
    ~TFileSource() override;
    TFileSource(const TFileSource&) = delete;
    TFileSource& operator=(const TFileSource&) = delete;

    std::size_t Read(unsigned char* buffer, std::size_t size) override;
    bool Rewind() override;
    bool Failed() const override { return Error; }
    std::uint64_t SizeHint() const override { return Size - Start; }
    // The same file opened again, provided it still has the same size.
    std::unique_ptr<TByteSource> OpenAt(std::uint64_t offset) const override;
    // Reads from offset without disturbing Read's position; the bytes read.
    std::size_t ReadAt(std::uint64_t offset, unsigned char* buffer, std::size_t size);

    std::FILE* File() const { return Stream; }

private:
    TFileSource(std::FILE* stream, std::uint64_t size, std::string path)
        : Stream(stream), Size(size), Path(std::move(path)) {}
    std::FILE* Stream;
    std::uint64_t Size;
    std::string Path;
    std::uint64_t Start = 0; // where Rewind goes
    bool Error = false;
};

// Bytes held in memory.
class TMemorySource : public TByteSource {
public:
    explicit TMemorySource(std::string bytes) : Bytes(std::move(bytes)) {}
    std::size_t Read(unsigned char* buffer, std::size_t size) override;
    bool Rewind() override {
        Pos = 0;
        return true;
    }
    bool Failed() const override { return false; }
    std::uint64_t SizeHint() const override { return Bytes.size(); }
    std::unique_ptr<TByteSource> OpenAt(std::uint64_t offset) const override;

private:
    std::string Bytes;
    std::size_t Pos = 0;
};

} // namespace habitual
