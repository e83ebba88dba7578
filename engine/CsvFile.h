// The survey file reader: splits the comma-separated Shift-JIS survey file
// into rows and fields with fixed buffers, allocating nothing per row. It
// reads a file as it lies on disk (Open), or the CP932 bytes of any other
// source (Attach): a UTF-8 file or a workbook sheet, with the same rules.
//
// Field texts live in the reader's own buffer (FieldText): the pointers in
// Fields, and those ReadRow and ReadCountedRow store into a caller's array,
// stay valid until the next ReadRow, ReadCountedRow, NextRow, CountRows,
// RowBound, Rewind, Open or Close, and never after the reader is destroyed. Copy what must outlive
// the row.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string_view>

#include "engine/ByteSource.h"
#include "engine/RowTally.h"

namespace habitual {

// A place where the data can be cut in two, for two readers at once: the
// start of the first line after the middle of the file.
struct TRowSplit {
    std::uint64_t Offset = 0;     // the byte the second part begins at; 0: no such place
    std::int64_t LinesBefore = 0; // the line feeds before it
    std::int64_t BoundBefore = 0; // RowBound of the first part alone
};

class TCsvFile {
public:
    static constexpr int LineSize = 16384;
    static constexpr int MaxRowFields = 1024;
    static constexpr int MaxCountFields = 256;

    TCsvFile() = default;
    ~TCsvFile();
    TCsvFile(const TCsvFile&) = delete;
    TCsvFile& operator=(const TCsvFile&) = delete;

    // Opens path for reading (the mode must begin with 'r'; the file is always
    // read in text mode: CR bytes dropped, 0x1A ends the data). A folder or
    // anything else that is not a readable file gives nullptr.
    std::FILE* Open(const char* path, const char* mode);
    // Reads the bytes of source instead (File stays nullptr).
    void Attach(std::unique_ptr<TByteSource> source);
    // Hands the source back, at its start, and closes the reader.
    std::unique_ptr<TByteSource> Detach();
    bool IsOpen() const { return Source != nullptr; }
    void Close();
    void Rewind();
    void CountRows();
    void NextRow();
    int ReadRow(const char** fields, int maxFields);
    // Reads the next row as ReadRow does, adding the lines it skips as blank
    // although they held text to SkippedWithText, as CountRows does; counts
    // tells whether the row is one CountRows would count up to (more than
    // one field, or text in the first).
    int ReadCountedRow(const char** fields, int maxFields, bool& counts);
    // At least the number of rows ReadRow can read from the start: the lines
    // and the pieces long lines are cut into. Reads the data through (quickly:
    // line feeds only) and rewinds. With split, also notes where the data can
    // be cut in two (nowhere when a 0x1A ends the data before the middle);
    // the bound is then the sum of the two parts' bounds.
    std::int64_t RowBound(TRowSplit* split = nullptr);
    // Reading ends at byte offset of the source, as if the data ended there.
    // Only for an offset at or after Position().
    void EndAt(std::uint64_t offset);
    // The bytes of the source that the lines read so far came from.
    std::uint64_t Position() const {
        return Consumed - static_cast<std::uint64_t>(BufferEnd - BufferPos);
    }
    // A second reader of the same source, from split on, reading on its own;
    // its line numbers go on from those before the split. nullptr where the
    // source cannot be read twice at once.
    std::unique_ptr<TCsvFile> ReaderFrom(const TRowSplit& split) const;
    bool ReadLine(char* buffer, int size);
    int SplitRow(char* line, char* fieldText, const char** fields, int maxFields);
    char* ParseField(char* pos, char*& out);
    // The first position at or after pos that does not hold a space (0x20).
    static char* SkipSpaces(char* pos) {
        while (*pos == ' ') ++pos;
        return pos;
    }

    // True when reading stopped at an error of the device rather than at
    // the end of the data.
    bool ReadFailed() const { return ReadError; }

    // The physical line (from 1, LF counted) that the last line read belongs
    // to; a long line's pieces share its number. For a sheet, its row.
    std::int64_t LineNo() const { return PhysicalLine; }
    // Set by CountRows, added to by ReadCountedRow: the lines skipped as blank although they held
    // text (bytes 0x80 and above only, besides commas, quotes, spaces and control bytes), by
    // physical line.
    TRowTally SkippedWithText;

    std::FILE* File = nullptr;
    char Line[LineSize];
    char FieldText[LineSize];
    std::int32_t NRows = 0;
    std::int32_t MaxFields = 0;
    const char* Fields[MaxRowFields];
    std::int32_t NFields = 0;

private:
    bool Refill();

    std::unique_ptr<TByteSource> Source;

    static constexpr int BufferSize = 1 << 16;
    unsigned char Buffer[BufferSize];
    int BufferPos = 0;
    int BufferEnd = 0;
    bool DataEnded = false; // end of file, a read error, or a 0x1A byte met
    bool ReadError = false;
    std::uint64_t Consumed = 0;     // bytes taken from the source since its start
    std::uint64_t End = UINT64_MAX; // where the data ends (EndAt)
    std::int64_t PhysicalLine = 0;
    bool AtLineStart = true;
};

// The column (from 1) that a byte following text would stand in, when text
// is the start of a line: the reader's field rules applied to it.
int ColumnAfter(std::string_view text);

} // namespace habitual
