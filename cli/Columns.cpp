#include "cli/Columns.h"

#include <memory>

#include "engine/ColumnLabel.h"
#include "engine/CsvFile.h"
#include "engine/Encoding.h"

namespace habitual {

bool ReadHeader(TOpenedSurvey& survey, THeader& header) {
    auto reader = std::make_unique<TCsvFile>();
    if (!survey.Source) return false;
    reader->Attach(std::move(survey.Source));
    // The window offers the header's fields below the widest row's field
    // count, at most 256; the header itself is never wider than the widest
    // row, so its first 256 fields are exactly those.
    reader->NextRow();
    const bool failed = reader->ReadFailed();
    header.Texts.clear();
    for (int c = 0; c < reader->NFields && c < TCsvFile::MaxCountFields; ++c)
        header.Texts.emplace_back(reader->Fields[c]);
    survey.Source = reader->Detach();
    return !failed;
}

int ResolveColumn(const THeader& header, const std::string& ref) {
    const int count = static_cast<int>(header.Texts.size());
    if (!ref.empty() && ref.find_first_not_of("0123456789") == std::string::npos) {
        if (ref.size() > 4) return -1;
        const int number = std::stoi(ref);
        return number >= 1 && number <= count ? number - 1 : -1;
    }
    const std::string text = Utf8ToCp932(ref);
    for (int c = 0; c < count; ++c)
        if (header.Texts[c] == text) return c;
    for (int c = 0; c < count; ++c)
        if (ColumnLabel(c, header.Texts[c]) == text) return c;
    return -1;
}

} // namespace habitual
