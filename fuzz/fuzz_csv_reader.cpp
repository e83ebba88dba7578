// The survey row reader over arbitrary bytes. Besides memory safety (the
// sanitizers), every row is compared with a plain byte-by-byte reading of the
// file syntax, and the counts of CountRows with what NextRow gives. The same
// bytes taken as a UTF-8 file must read as their CP932 form, or be refused
// with a line and a column.
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "engine/CsvFile.h"
#include "engine/SurveyInput.h"
#include "fuzz/FuzzSupport.h"

using habitual::TCsvFile;

namespace {

using TRow = std::vector<std::string>;

// The rows of the file as the syntax defines them: text mode (CR dropped,
// 0x1A ends the data), physical lines read in pieces of at most 16,383 bytes,
// lines without content skipped, fields split with quotes and spaces.
std::vector<TRow> ExpectedRows(std::string_view bytes, std::size_t maxFields) {
    std::string data;
    for (char c : bytes) {
        if (c == '\x1A') break;
        if (c != '\r') data += c;
    }
    std::vector<TRow> rows;
    std::size_t pos = 0;
    while (pos < data.size()) {
        std::size_t len = 0;
        while (len < TCsvFile::LineSize - 1 && pos + len < data.size()) {
            if (data[pos + len++] == '\n') break;
        }
        std::string line = data.substr(pos, len);
        pos += len;
        line = line.substr(0, line.find('\0'));
        if (!line.empty() && line.back() == '\n') line.pop_back();

        const bool content = std::any_of(line.begin(), line.end(), [](char c) {
            return static_cast<signed char>(c) > 32 && c != '"' && c != ',';
        });
        if (!content) continue;

        TRow row;
        std::size_t p = 0;
        const std::size_t n = line.size();
        auto skip = [&] {
            while (p < n && line[p] == ' ') ++p;
        };
        for (;;) {
            skip();
            std::string text;
            if (p < n && line[p] == '"') {
                ++p;
                while (p < n) {
                    if (line[p] == '"') {
                        if (p + 1 < n && line[p + 1] == '"') {
                            text += '"';
                            p += 2;
                            continue;
                        }
                        break;
                    }
                    text += line[p++];
                }
                if (p < n) ++p; // the closing quote
            } else {
                while (p < n && line[p] != ',') text += line[p++];
            }
            while (!text.empty() && text.back() == ' ') text.pop_back();
            row.push_back(text);
            skip();
            if (p >= n || row.size() >= maxFields) break;
            if (line[p] == ',') ++p;
        }
        rows.push_back(row);
    }
    return rows;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static habitual::fuzz::TScratchFile file("csv");
    file.Write(data, size);
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::vector<TRow> expected = ExpectedRows(bytes, TCsvFile::MaxRowFields);

    auto reader = std::make_unique<TCsvFile>();
    FUZZ_CHECK(reader->Open(file.Path.c_str(), "rt") != nullptr);
    reader->CountRows();
    const std::int32_t nRows = reader->NRows;
    const std::int32_t maxFields = reader->MaxFields;
    FUZZ_CHECK(nRows >= 0 && maxFields >= 0 && maxFields <= TCsvFile::MaxCountFields);

    const char* const areaBegin = reader->FieldText;
    const char* const areaEnd = reader->FieldText + TCsvFile::LineSize;
    std::int32_t row = 0, lastWithContent = 0, widest = 0;
    for (;;) {
        reader->NextRow();
        if (reader->NFields == -1) break;
        FUZZ_CHECK(reader->NFields >= 1 && reader->NFields <= TCsvFile::MaxRowFields);
        FUZZ_CHECK(static_cast<std::size_t>(row) < expected.size());
        const TRow& want = expected[static_cast<std::size_t>(row)];
        FUZZ_CHECK(static_cast<std::size_t>(reader->NFields) == want.size());
        for (int f = 0; f < reader->NFields; ++f) {
            const char* text = reader->Fields[f];
            FUZZ_CHECK(text >= areaBegin && text < areaEnd);
            const void* nul = std::memchr(text, '\0', static_cast<std::size_t>(areaEnd - text));
            FUZZ_CHECK(nul != nullptr);
            FUZZ_CHECK(want[static_cast<std::size_t>(f)] == text);
        }
        ++row;
        if (reader->NFields > 1 || reader->Fields[0][0] != '\0') lastWithContent = row;
        widest = std::max(widest, std::min(reader->NFields, TCsvFile::MaxCountFields));
    }
    FUZZ_CHECK(static_cast<std::size_t>(row) == expected.size());
    FUZZ_CHECK(nRows == lastWithContent);
    FUZZ_CHECK(maxFields == widest);
    FUZZ_CHECK(!reader->ReadFailed());

    // Counting again after the end of the data starts from the beginning.
    reader->CountRows();
    FUZZ_CHECK(reader->NRows == nRows && reader->MaxFields == maxFields);

    // Read by two readers from a cut past the middle, one after the other,
    // the rows are the same.
    habitual::TRowSplit split;
    const std::int64_t bound = reader->RowBound(&split);
    FUZZ_CHECK(bound >= static_cast<std::int64_t>(expected.size()));
    if (split.Offset) {
        FUZZ_CHECK(split.Offset < size && data[split.Offset - 1] == '\n');
        std::vector<TRow> rows;
        reader->NextRow();
        if (reader->NFields >= 0)
            rows.emplace_back(reader->Fields, reader->Fields + reader->NFields);
        if (reader->Position() <= split.Offset) {
            reader->EndAt(split.Offset);
            std::unique_ptr<TCsvFile> second = reader->ReaderFrom(split);
            FUZZ_CHECK(second != nullptr);
            for (TCsvFile* part : {reader.get(), second.get()})
                for (part->NextRow(); part->NFields >= 0; part->NextRow())
                    rows.emplace_back(part->Fields, part->Fields + part->NFields);
            FUZZ_CHECK(rows == expected);
        }
    }
    reader->Close();

    habitual::TInputOptions utf8;
    utf8.Encoding = habitual::TInputEncoding::Utf8;
    habitual::TOpenedSurvey opened = habitual::OpenCsvSurvey(file.Path, utf8);
    std::string_view text = bytes.substr(0, bytes.find('\x1A'));
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    std::string cp932;
    const bool convertible = !habitual::Utf8ToCp932Exact(text, &cp932).Stopped();
    FUZZ_CHECK((opened.Source != nullptr) == convertible);
    if (!opened.Source) {
        FUZZ_CHECK(opened.Problem.Row >= 1 && opened.Problem.Column >= 1);
        return 0;
    }
    const std::vector<TRow> converted = ExpectedRows(cp932, TCsvFile::MaxRowFields);
    reader->Attach(std::move(opened.Source));
    std::size_t at = 0;
    for (reader->NextRow(); reader->NFields >= 0; reader->NextRow(), ++at) {
        FUZZ_CHECK(at < converted.size());
        FUZZ_CHECK(TRow(reader->Fields, reader->Fields + reader->NFields) == converted[at]);
    }
    FUZZ_CHECK(at == converted.size());
    return 0;
}
