// The rows of a loaded survey file, kept compactly: the field texts (CP932
// bytes) one after the other in one buffer, with two offsets per row and two
// bytes per field. A survey of a million rows fits in little more memory than
// the file itself, and nothing is converted until a cell is shown.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

class TSurveyTable {
public:
    // Room for what is expected, so that the buffers are not copied while
    // they grow.
    void Reserve(std::size_t rows, std::size_t fields, std::size_t textBytes);
    // Appends a row of fields (NUL-terminated texts); count may be 0.
    void AddRow(const char* const* fields, int count);

    int RowCount() const { return static_cast<int>(RowText.size()) - 1; }
    int FieldCount(int row) const;
    // The text of a field, empty outside the row.
    std::string_view Field(int row, int field) const;

private:
    std::vector<char> Text;
    // Per row: where its texts and its field ends start; one extra entry
    // closes the last row.
    std::vector<std::uint64_t> RowText{0};
    std::vector<std::uint64_t> RowFields{0};
    // Per field: where it ends, counted from the start of its row's texts. A
    // row's texts are at most one line of the reader, so 16 bits suffice.
    std::vector<std::uint16_t> FieldEnd;
};
