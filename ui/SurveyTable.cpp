#include "ui/SurveyTable.h"

#include <cstring>
#include <limits>

void TSurveyTable::Reserve(std::size_t rows, std::size_t fields, std::size_t textBytes) {
    RowText.reserve(rows + 1);
    RowFields.reserve(rows + 1);
    FieldEnd.reserve(fields);
    Text.reserve(textBytes);
}

void TSurveyTable::AddRow(const char* const* fields, int count) {
    const std::size_t rowStart = Text.size();
    for (int i = 0; i < count; ++i) {
        std::size_t length = std::strlen(fields[i]);
        // The reader's line buffer bounds a row; this only keeps the offsets
        // sound should a row ever exceed it.
        const std::size_t room =
            std::numeric_limits<std::uint16_t>::max() - (Text.size() - rowStart);
        if (length > room) length = room;
        Text.insert(Text.end(), fields[i], fields[i] + length);
        FieldEnd.push_back(static_cast<std::uint16_t>(Text.size() - rowStart));
    }
    RowText.push_back(Text.size());
    RowFields.push_back(FieldEnd.size());
}

int TSurveyTable::FieldCount(int row) const {
    if (row < 0 || row >= RowCount()) return 0;
    return static_cast<int>(RowFields[row + 1] - RowFields[row]);
}

std::string_view TSurveyTable::Field(int row, int field) const {
    if (field < 0 || field >= FieldCount(row)) return {};
    const std::uint64_t first = RowFields[row];
    const std::size_t begin = field == 0 ? 0 : FieldEnd[first + field - 1];
    const std::size_t end = FieldEnd[first + field];
    return {Text.data() + RowText[row] + begin, end - begin};
}
