#include "CsvFile.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

#include "Encoding.h"

namespace habitual {
namespace {

bool IsTrailByte(char c) {
    auto u = static_cast<unsigned char>(c);
    return (u >= 0x40 && u <= 0x7E) || (u >= 0x80 && u <= 0xFC);
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
    std::FILE* f = std::fopen(path, "rb");
    if (!f) return nullptr;
    struct stat st;
    if (fstat(fileno(f), &st) != 0 || S_ISDIR(st.st_mode)) {
        std::fclose(f);
        return nullptr;
    }
    File = f;
    BufferPos = BufferEnd = 0;
    DataEnded = ReadError = false;
    return File;
}

void TCsvFile::Close() {
    if (File) std::fclose(File);
    File = nullptr;
}

void TCsvFile::Rewind() {
    if (!File) return;
    std::rewind(File);
    BufferPos = BufferEnd = 0;
    DataEnded = ReadError = false;
}

bool TCsvFile::Refill() {
    if (DataEnded || !File) return false;
    std::size_t n = std::fread(Buffer, 1, BufferSize, File);
    if (n == 0) {
        if (std::ferror(File)) ReadError = true;
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
    while (stored < limit) {
        if (BufferPos >= BufferEnd && !Refill()) break;
        // Copy up to the next special byte in one go.
        const unsigned char* p = Buffer + BufferPos;
        int avail = BufferEnd - BufferPos;
        int room = limit - stored;
        int take = avail < room ? avail : room;
        int k = 0;
        while (k < take) {
            unsigned char c = p[k];
            if (c == '\n' || c == '\r' || c == 0x1A) break;
            ++k;
        }
        if (k > 0) {
            std::memcpy(buffer + stored, p, static_cast<std::size_t>(k));
            stored += k;
            BufferPos += k;
            any = true;
            continue;
        }
        if (k == take) continue; // nothing left in this buffer
        unsigned char c = p[0];
        ++BufferPos;
        if (c == '\r') continue;
        if (c == 0x1A) {
            DataEnded = true;
            BufferPos = BufferEnd;
            break;
        }
        buffer[stored++] = '\n';
        any = true;
        break;
    }
    buffer[stored] = '\0';
    if (!any && stored == 0) return false;
    if (stored > 0 && buffer[stored - 1] == '\n') buffer[stored - 1] = '\0';
    return true;
}

int TCsvFile::ReadRow(const char** fields, int maxFields) {
    for (;;) {
        if (!ReadLine(Line, LineSize)) return -1;
        bool content = false;
        for (const char* p = Line; *p; ++p) {
            signed char c = static_cast<signed char>(*p);
            if (c > 32 && c != '"' && c != ',') {
                content = true;
                break;
            }
        }
        if (content) return SplitRow(Line, FieldText, fields, maxFields);
    }
}

int TCsvFile::SplitRow(char* line, char* fieldText, const char** fields, int maxFields) {
    char* pos = line;
    char* out = fieldText;
    int count = 0;
    while (count < maxFields) {
        char* start = out;
        char* next = ParseField(pos, out);
        TrimRight(start);
        fields[count++] = start;
        out += std::strlen(out) + 1;
        if (!next) break;
        pos = next;
    }
    return count;
}

char* TCsvFile::ParseField(char* pos, char*& out) {
    char* p = SkipSpaces(pos);
    char* o = out;
    if (*p == '"') {
        ++p;
        while (*p) {
            if (*p == '"') {
                if (p[1] == '"') {
                    *o++ = '"';
                    p += 2;
                    continue;
                }
                break;
            }
            if (IsCp932LeadByte(static_cast<unsigned char>(*p)) && IsTrailByte(p[1])) *o++ = *p++;
            *o++ = *p++;
        }
        *o = '\0';
        if (*p == '"') ++p;
    } else {
        while (*p && *p != ',') {
            if (IsCp932LeadByte(static_cast<unsigned char>(*p)) && IsTrailByte(p[1])) *o++ = *p++;
            *o++ = *p++;
        }
        *o = '\0';
    }
    p = SkipSpaces(p);
    if (!*p) return nullptr;
    if (*p == ',') ++p;
    return SkipSpaces(p);
}

char* TCsvFile::SkipSpaces(char* pos) {
    while (*pos == ' ') ++pos;
    return pos;
}

void TCsvFile::TrimRight(char* text) {
    std::size_t n = std::strlen(text);
    while (n > 0 && text[n - 1] == ' ') text[--n] = '\0';
}

void TCsvFile::CountRows() {
    Rewind();
    NRows = 0;
    MaxFields = 0;
    const char* fields[MaxCountFields];
    std::int32_t counter = 0;
    for (;;) {
        int n = ReadRow(fields, MaxCountFields);
        if (n < 0) break;
        if (n > MaxFields) MaxFields = n;
        ++counter;
        if (n > 1 || fields[0][0] != '\0') NRows = counter;
    }
    Rewind();
}

void TCsvFile::NextRow() {
    NFields = ReadRow(Fields, MaxRowFields);
}

} // namespace habitual
