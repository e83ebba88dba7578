// The zip container of a workbook, read through libzip: parts found by name
// and read in pieces, their declared sizes checked before reading and their
// actual sizes and checksums while reading, so that a damaged or forged
// container (a zip bomb among them) ends in a message, never in memory or
// time without end.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "engine/SurveyInput.h"

struct zip;
struct zip_file;

namespace habitual {

class TZipArchive {
public:
    // nullptr, with problem set, when path holds no zip archive that can be read.
    static std::unique_ptr<TZipArchive> Open(const std::string& path, TInputProblem& problem);
    ~TZipArchive();
    TZipArchive(const TZipArchive&) = delete;
    TZipArchive& operator=(const TZipArchive&) = delete;

    bool Has(std::string_view part) const;

    // One part, read in pieces.
    class TEntry {
    public:
        ~TEntry();
        TEntry(const TEntry&) = delete;
        TEntry& operator=(const TEntry&) = delete;
        // Up to size bytes; 0 at the end; -1 when the part turns out damaged
        // (a checksum, or more bytes than it declared).
        std::int64_t Read(char* buffer, std::size_t size);

    private:
        friend class TZipArchive;
        TEntry(zip_file* file, std::uint64_t declared) : File(file), Declared(declared) {}
        zip_file* File;
        std::uint64_t Declared;
        std::uint64_t Done = 0;
    };

    // Opens a part for reading. nullptr with problem set when it is missing
    // (Damaged), encrypted, or declares more than limit bytes (TooLarge).
    std::unique_ptr<TEntry> OpenPart(std::string_view part, std::uint64_t limit,
                                     TInputProblem& problem) const;

private:
    explicit TZipArchive(zip* archive) : Archive(archive) {}
    zip* Archive;
};

} // namespace habitual
