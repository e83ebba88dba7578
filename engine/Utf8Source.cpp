#include "engine/Utf8Source.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/CsvFile.h"

namespace habitual {
namespace {

constexpr std::size_t ChunkSize = 1 << 16;
constexpr char BomBytes[] = "\xEF\xBB\xBF";

bool StartsWithBom(std::string_view bytes) {
    return bytes.substr(0, 3) == std::string_view(BomBytes, 3);
}

// The bytes as "0xE3 0x81" for a message.
std::string HexBytes(std::string_view bytes) {
    std::string text;
    for (unsigned char b : bytes) {
        static const char digits[] = "0123456789ABCDEF";
        if (!text.empty()) text += ' ';
        text += "0x";
        text += digits[b >> 4];
        text += digits[b & 15];
    }
    return text;
}

// The column of a problem at offset, whose line starts at lineStart: the
// line's text before it is read again and put through the reader's rules,
// CR bytes dropped and cut into the reader's pieces as the reader cuts it.
std::int32_t ColumnOf(TFileSource& file, std::uint64_t lineStart, std::uint64_t offset, bool bom) {
    if (lineStart == 0 && bom) lineStart = 3;
    std::string piece, converted, carry;
    std::vector<unsigned char> buffer(ChunkSize);
    std::uint64_t at = lineStart;
    while (at < offset) {
        const std::size_t want =
            static_cast<std::size_t>(std::min<std::uint64_t>(ChunkSize, offset - at));
        const std::size_t n = file.ReadAt(at, buffer.data(), want);
        if (n == 0) break;
        at += n;
        carry.append(reinterpret_cast<const char*>(buffer.data()), n);
        const std::size_t usable = at < offset ? Utf8CompleteLength(carry) : carry.size();
        converted.clear();
        Utf8ToCp932Exact(std::string_view(carry).substr(0, usable), &converted);
        carry.erase(0, usable);
        for (char c : converted)
            if (c != '\r') piece += c;
        const std::size_t pieceSize = TCsvFile::LineSize - 1;
        if (piece.size() >= pieceSize) piece.erase(0, piece.size() / pieceSize * pieceSize);
    }
    return ColumnAfter(piece);
}

} // namespace

TUtf8Scan ScanUtf8(TFileSource& file) {
    TUtf8Scan scan;
    std::string chunk;
    std::vector<unsigned char> buffer(ChunkSize);
    std::uint64_t base = 0;      // file offset of chunk[0]
    std::uint64_t lineStart = 0; // file offset of the line being scanned
    std::int64_t line = 1;
    bool located = false; // the first problem has its line
    std::uint64_t problemLineStart = 0, problemAt = 0;
    bool first = true;
    for (;;) {
        const std::size_t n = file.Read(buffer.data(), buffer.size());
        chunk.append(reinterpret_cast<const char*>(buffer.data()), n);
        if (first) {
            if (chunk.size() < 3 && n != 0) continue;
            scan.Bom = StartsWithBom(chunk);
            first = false;
        }
        std::size_t limit = chunk.size();
        bool ended = n == 0;
        if (const void* mark = std::memchr(chunk.data(), 0x1A, chunk.size())) {
            limit = static_cast<std::size_t>(static_cast<const char*>(mark) - chunk.data());
            ended = true;
        }
        const std::string_view data(chunk.data(), limit);
        const std::size_t usable = ended ? data.size() : Utf8CompleteLength(data);
        std::size_t pos = base == 0 && scan.Bom ? 3 : 0;
        std::size_t counted = 0; // lines counted up to here
        auto countLines = [&](std::size_t to) {
            const char* p = chunk.data() + counted;
            const char* end = chunk.data() + to;
            while (const void* lf = std::memchr(p, '\n', static_cast<std::size_t>(end - p))) {
                p = static_cast<const char*>(lf) + 1;
                ++line;
                lineStart = base + static_cast<std::uint64_t>(p - chunk.data());
            }
            counted = to;
        };
        while (pos < usable) {
            const TConversionStop stop =
                Utf8ToCp932Exact(data.substr(pos, usable - pos), nullptr, &scan.NonAscii);
            if (!stop.Stopped()) break;
            const std::size_t at = pos + stop.Offset;
            const bool malformed = stop.Reason == TConversionStop::TReason::Malformed;
            if (!located) {
                countLines(at);
                located = true;
                const std::string_view bytes = data.substr(at, stop.Length);
                scan.Problem.Kind =
                    malformed ? TInputProblem::TKind::Malformed : TInputProblem::TKind::NoCp932Form;
                scan.Problem.Row = line;
                scan.Problem.Character = malformed ? HexBytes(bytes) : std::string(bytes);
                problemLineStart = lineStart;
                problemAt = base + at;
            }
            if (malformed) {
                scan.Valid = false;
                ended = true;
                break;
            }
            scan.NonAscii = true;
            pos = at + stop.Length;
        }
        if (!located) countLines(usable);
        if (ended || file.Failed()) break;
        chunk.erase(0, usable);
        base += usable;
    }
    // The column once the scan no longer reads: the line is read again.
    if (located) scan.Problem.Column = ColumnOf(file, problemLineStart, problemAt, scan.Bom);
    file.Rewind();
    return scan;
}

TUtf8Source::TUtf8Source(std::unique_ptr<TFileSource> file, bool bom)
    : File(std::move(file)), Bom(bom) {
    File->Rewind();
}

bool TUtf8Source::Rewind() {
    Raw.clear();
    Out.clear();
    OutPos = 0;
    AtStart = true;
    Ended = Error = false;
    return File->Rewind();
}

void TUtf8Source::Fill() {
    Out.clear();
    OutPos = 0;
    unsigned char buffer[ChunkSize];
    const std::size_t n = File->Read(buffer, sizeof buffer);
    Raw.append(reinterpret_cast<const char*>(buffer), n);
    if (AtStart && (Raw.size() >= 3 || n == 0)) {
        if (Bom && StartsWithBom(Raw)) Raw.erase(0, 3);
        AtStart = false;
    } else if (AtStart) {
        return;
    }
    std::size_t limit = Raw.size();
    if (const void* mark = std::memchr(Raw.data(), 0x1A, Raw.size())) {
        limit = static_cast<std::size_t>(static_cast<const char*>(mark) - Raw.data());
        Ended = true;
    }
    if (n == 0) Ended = true;
    const std::string_view data(Raw.data(), limit);
    const std::size_t usable = Ended ? data.size() : Utf8CompleteLength(data);
    // The file was checked whole when it was opened: a problem now means
    // that it changed since, and reading stops as at a device error.
    if (Utf8ToCp932Exact(data.substr(0, usable), &Out).Stopped()) Error = Ended = true;
    Raw.erase(0, usable);
}

std::size_t TUtf8Source::Read(unsigned char* buffer, std::size_t size) {
    while (OutPos == Out.size() && !Ended) Fill();
    const std::size_t n = std::min(size, Out.size() - OutPos);
    std::memcpy(buffer, Out.data() + OutPos, n);
    OutPos += n;
    return Error ? 0 : n;
}

} // namespace habitual
