#include "engine/CsvFile.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "engine/Encoding.h"
#include "platform/Files.h"

namespace habitual {
namespace {

bool IsTrailByte(char c) {
    auto u = static_cast<unsigned char>(c);
    return (u >= 0x40 && u <= 0x7E) || (u >= 0x80 && u <= 0xFC);
}

// A line has content when one of its bytes is neither a comma nor a double
// quote and, as a signed byte, above 32: blank lines, lines of commas and
// quotes, and lines whose bytes are all 0x80 or above are skipped.
bool HasContent(const char* line) {
    for (const char* p = line; *p; ++p) {
        const auto c = static_cast<signed char>(*p);
        if (c > 32 && c != '"' && c != ',') return true;
    }
    return false;
}

// A line without content that still holds text: its characters' bytes all
// lie at 0x80 and above.
bool HoldsHiddenText(const char* line) {
    for (const char* p = line; *p; ++p)
        if (static_cast<unsigned char>(*p) >= 0x80) return true;
    return false;
}

} // namespace

TCsvFile::~TCsvFile() {
    Close();
}

std::FILE* TCsvFile::Open(const char* path, const char* mode) {
    Close();
    if (!path || !mode || mode[0] != 'r') return nullptr;
    // Always binary underneath: the text-mode rules (CR dropped, 0x1A ends
    // the data) are applied here, the same on every platform.
    std::unique_ptr<TFileSource> file = TFileSource::Open(path);
    if (!file) return nullptr;
    std::FILE* stream = file->File();
    Attach(std::move(file));
    File = stream;
    return File;
}

void TCsvFile::Attach(std::unique_ptr<TByteSource> source) {
    Close();
    Source = std::move(source);
    BufferPos = BufferEnd = 0;
    DataEnded = ReadError = false;
    Consumed = 0;
    End = UINT64_MAX;
    PhysicalLine = 0;
    AtLineStart = true;
}

std::unique_ptr<TByteSource> TCsvFile::Detach() {
    std::unique_ptr<TByteSource> source = std::move(Source);
    File = nullptr;
    if (source) source->Rewind();
    return source;
}

void TCsvFile::Close() {
    Source.reset();
    File = nullptr;
}

void TCsvFile::Rewind() {
    if (!Source) return;
    BufferPos = BufferEnd = 0;
    DataEnded = ReadError = false;
    Consumed = 0;
    PhysicalLine = 0;
    AtLineStart = true;
    if (!Source->Rewind()) ReadError = DataEnded = true;
}

bool TCsvFile::Refill() {
    if (DataEnded || !Source) return false;
    const std::size_t n =
        Consumed < End ? Source->Read(Buffer, static_cast<std::size_t>(std::min<std::uint64_t>(
                                                  BufferSize, End - Consumed)))
                       : 0;
    Consumed += n;
    if (n == 0) {
        if (Source->Failed()) ReadError = true;
        DataEnded = true;
        return false;
    }
    BufferPos = 0;
    BufferEnd = static_cast<int>(n);
    return true;
}

bool TCsvFile::ReadLine(char* buffer, int size) {
    int stored = 0;
    bool any = false;
    const int limit = size - 1;
    bool lineEnded = false;
    while (stored < limit && !lineEnded) {
        if (BufferPos >= BufferEnd && !Refill()) break;
        const unsigned char* p = Buffer + BufferPos;
        // The bytes up to and including the next line feed, or up to a 0x1A,
        // which ends the data as if the file ended there.
        int segment = BufferEnd - BufferPos;
        if (const void* lf = std::memchr(p, '\n', static_cast<std::size_t>(segment))) {
            segment = static_cast<int>(static_cast<const unsigned char*>(lf) - p) + 1;
            lineEnded = true;
        }
        bool endMark = false;
        if (const void* eof = std::memchr(p, 0x1A, static_cast<std::size_t>(segment))) {
            segment = static_cast<int>(static_cast<const unsigned char*>(eof) - p);
            lineEnded = false;
            endMark = true;
        }
        // Copy them without their CR bytes, while there is room.
        int used = 0;
        while (used < segment && stored < limit) {
            const unsigned char* q = p + used;
            const auto rest = static_cast<std::size_t>(segment - used);
            const void* cr = std::memchr(q, '\r', rest);
            int chunk = cr ? static_cast<int>(static_cast<const unsigned char*>(cr) - q)
                           : static_cast<int>(rest);
            chunk = std::min(chunk, limit - stored);
            std::memcpy(buffer + stored, q, static_cast<std::size_t>(chunk));
            stored += chunk;
            used += chunk;
            if (chunk > 0) any = true;
            if (used < segment && p[used] == '\r') ++used; // dropped wherever it stands
        }
        BufferPos += used;
        if (used < segment) {
            lineEnded = false; // full: the rest is the next piece
            break;
        }
        if (endMark) {
            DataEnded = true;
            BufferPos = BufferEnd;
            break;
        }
    }
    buffer[stored] = '\0';
    if (!any) return false;
    if (AtLineStart) ++PhysicalLine;
    AtLineStart = stored > 0 && buffer[stored - 1] == '\n';
    if (AtLineStart) buffer[stored - 1] = '\0';
    return true;
}

int TCsvFile::ReadRow(const char** fields, int maxFields) {
    for (;;) {
        if (!ReadLine(Line, LineSize)) return -1;
        if (HasContent(Line)) return SplitRow(Line, FieldText, fields, maxFields);
    }
}

int TCsvFile::SplitRow(char* line, char* fieldText, const char** fields, int maxFields) {
    char* pos = line;
    char* out = fieldText;
    int count = 0;
    while (count < maxFields) {
        char* start = out;
        char* next = ParseField(pos, out); // out now points at the text's NUL
        // Trailing spaces are cut, inside quotes as well (other white space stays).
        while (out > start && out[-1] == ' ') *--out = '\0';
        fields[count++] = start;
        ++out;
        if (!next) break;
        pos = next;
    }
    return count;
}

namespace {

// One field from p. With Copy, its text goes to out (which is left at the
// text's NUL); without, only whether it holds anything but spaces is noted,
// which is all that counting rows needs. Returns the start of the next
// field, or nullptr after the last one.
template <bool Copy> char* ScanField(char* p, char*& out, bool& hasText) {
    p = TCsvFile::SkipSpaces(p);
    char* o = out;
    auto put = [&](char c) {
        if constexpr (Copy)
            *o++ = c;
        else if (c != ' ')
            hasText = true;
    };
    if (*p == '"') {
        ++p;
        while (*p) {
            if (*p == '"') {
                if (p[1] != '"') break;
                put('"');
                p += 2;
                continue;
            }
            if (IsCp932LeadByte(static_cast<unsigned char>(*p)) && IsTrailByte(p[1])) put(*p++);
            put(*p++);
        }
        if (*p == '"') ++p;
    } else {
        // No trail byte is a comma, so a plain field ends at the first comma
        // whatever characters it holds.
        while (*p && *p != ',') put(*p++);
    }
    if constexpr (Copy) {
        *o = '\0';
        out = o;
    }
    p = TCsvFile::SkipSpaces(p);
    if (!*p) return nullptr;
    if (*p == ',') ++p;
    return TCsvFile::SkipSpaces(p);
}

} // namespace

char* TCsvFile::ParseField(char* pos, char*& out) {
    bool hasText = false;
    return ScanField<true>(pos, out, hasText);
}

namespace {

// The field count of a row (at most max) and whether its first field holds
// text, without copying the texts.
int CountFields(char* line, int max, bool& firstHasText) {
    const std::size_t length = std::strlen(line);
    if (!std::memchr(line, '"', length)) {
        // Without quotes every comma separates two fields.
        const char* comma = static_cast<const char*>(std::memchr(line, ',', length));
        const char* firstEnd = comma ? comma : line + length;
        firstHasText =
            std::any_of(static_cast<const char*>(line), firstEnd, [](char c) { return c != ' '; });
        const auto commas = std::count(line, line + length, ',');
        return commas + 1 < max ? static_cast<int>(commas) + 1 : max;
    }
    int count = 0;
    char* pos = line;
    char* unused = nullptr;
    while (count < max) {
        bool hasText = false;
        char* next = ScanField<false>(pos, unused, hasText);
        if (count++ == 0) firstHasText = hasText;
        if (!next) break;
        pos = next;
    }
    return count;
}

} // namespace

void TCsvFile::CountRows() {
    Rewind();
    NRows = 0;
    MaxFields = 0;
    SkippedWithText = {};
    std::int32_t counter = 0;
    while (ReadLine(Line, LineSize)) {
        if (!HasContent(Line)) {
            if (HoldsHiddenText(Line)) SkippedWithText.Add(PhysicalLine);
            continue;
        }
        bool firstHasText = false;
        const int count = CountFields(Line, MaxCountFields, firstHasText);
        if (count > MaxFields) MaxFields = count;
        ++counter;
        if (count > 1 || firstHasText) NRows = counter;
    }
    Rewind();
}

int TCsvFile::ReadCountedRow(const char** fields, int maxFields, bool& counts) {
    for (;;) {
        if (!ReadLine(Line, LineSize)) return -1;
        if (!HasContent(Line)) {
            if (HoldsHiddenText(Line)) SkippedWithText.Add(PhysicalLine);
            continue;
        }
        const int n = SplitRow(Line, FieldText, fields, maxFields);
        // The split leaves the line as it was; only a row of one field needs
        // a second look.
        bool firstHasText = false;
        counts = n > 1 || CountFields(Line, 2, firstHasText) > 1 || firstHasText;
        return n;
    }
}

namespace {

// A line of L bytes gives at most L / (LineSize - 1) + 1 pieces.
std::int64_t BoundOf(std::int64_t lineFeeds, std::uint64_t bytes) {
    return lineFeeds + 1 + static_cast<std::int64_t>(bytes / (TCsvFile::LineSize - 1)) + 1;
}

// What a quick pass over a stretch of the data finds: its line feeds and
// bytes and, while looking, the first line feed at or after the middle of
// the data, unless a 0x1A comes before it.
struct TLineScan {
    std::int64_t LineFeeds = 0;
    std::uint64_t Bytes = 0;
    bool Looking = true;
    TRowSplit Found; // LinesBefore: this stretch's line feeds before the cut
    // Takes the next size bytes at p, the stretch's bytes from Bytes on,
    // which start at byte start of the data.
    void Add(const unsigned char* p, std::size_t size, std::uint64_t start, std::uint64_t middle) {
        const unsigned char* end = p + size;
        if (Looking) {
            const std::uint64_t at = start + Bytes;
            const unsigned char* stop = end;
            if (at + size > middle) {
                const unsigned char* from = p + (middle > at ? middle - at : 0);
                if (const void* lf =
                        std::memchr(from, '\n', static_cast<std::size_t>(end - from))) {
                    stop = static_cast<const unsigned char*>(lf) + 1;
                    Found.Offset = at + static_cast<std::uint64_t>(stop - p);
                    Found.LinesBefore = LineFeeds + std::count(p, stop, '\n');
                    Looking = false;
                }
            }
            if (std::memchr(p, 0x1A, static_cast<std::size_t>(stop - p))) {
                Found = {};
                Looking = false;
            }
        }
        LineFeeds += std::count(p, end, '\n');
        Bytes += size;
    }
};

// The quick pass over a second source of the data from start on, through
// the given buffer (had beforehand: nothing here throws).
void ScanFrom(TByteSource& source, std::vector<unsigned char>& buffer, std::uint64_t start,
              std::uint64_t middle, TLineScan& scan, bool& failed) {
    while (const std::size_t n = source.Read(buffer.data(), buffer.size()))
        scan.Add(buffer.data(), n, start, middle);
    failed = source.Failed();
}

} // namespace

std::int64_t TCsvFile::RowBound(TRowSplit* split) {
    Rewind();
    const std::uint64_t middle = Source ? Source->SizeHint() / 2 : 0;
    // Looking for a cut, the two halves are gone through at once where the
    // source can be read twice: this reader up to the middle, a second one
    // from there.
    TLineScan first, second;
    first.Looking = split != nullptr;
    bool secondFailed = false;
    std::unique_ptr<TByteSource> rest;
    if (split && middle > 0) rest = Source->OpenAt(middle);
    std::vector<unsigned char> restBuffer(rest ? std::size_t{1} << 16 : 0);
    {
        std::jthread other;
        if (rest) {
            End = middle;
            try {
                other = std::jthread(
                    [&] { ScanFrom(*rest, restBuffer, middle, middle, second, secondFailed); });
            } catch (const std::system_error&) {
                // Gone through after the first half instead.
            }
        }
        while (Refill()) {
            first.Add(Buffer, static_cast<std::size_t>(BufferEnd), 0, middle);
            BufferPos = BufferEnd;
        }
        if (rest && !other.joinable())
            ScanFrom(*rest, restBuffer, middle, middle, second, secondFailed);
    }
    End = UINT64_MAX;
    TRowSplit found = first.Found;
    std::int64_t lineFeeds = first.LineFeeds;
    std::uint64_t bytes = first.Bytes;
    if (rest) {
        if (first.Looking) {
            found = second.Found;
            found.LinesBefore += first.LineFeeds;
        }
        lineFeeds += second.LineFeeds;
        bytes += second.Bytes;
    }
    const bool failed = ReadError || secondFailed;
    Rewind();
    ReadError = ReadError || failed;
    if (split) {
        // A cut at the very end would leave the second reader nothing.
        *split = found.Offset && found.Offset < bytes ? found : TRowSplit{};
        if (split->Offset) {
            split->BoundBefore = BoundOf(split->LinesBefore, split->Offset);
            return split->BoundBefore +
                   BoundOf(lineFeeds - split->LinesBefore, bytes - split->Offset);
        }
    }
    return BoundOf(lineFeeds, bytes);
}

void TCsvFile::EndAt(std::uint64_t offset) {
    End = offset;
    // What the buffer holds beyond it is not data.
    if (Consumed > End) {
        BufferEnd -= static_cast<int>(Consumed - End);
        Consumed = End;
    }
}

std::unique_ptr<TCsvFile> TCsvFile::ReaderFrom(const TRowSplit& split) const {
    if (!Source || !split.Offset) return nullptr;
    std::unique_ptr<TByteSource> source = Source->OpenAt(split.Offset);
    if (!source) return nullptr;
    auto reader = std::make_unique<TCsvFile>();
    reader->Attach(std::move(source));
    reader->PhysicalLine = split.LinesBefore;
    return reader;
}

void TCsvFile::NextRow() {
    NFields = ReadRow(Fields, MaxRowFields);
}

int ColumnAfter(std::string_view text) {
    // The text and one byte of content behind it, NUL-terminated as a line.
    std::string line(text.substr(0, text.find('\0')));
    line += 'x';
    bool firstHasText = false;
    return CountFields(line.data(), static_cast<int>(line.size()) + 1, firstHasText);
}

} // namespace habitual
