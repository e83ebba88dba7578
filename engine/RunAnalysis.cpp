#include "engine/RunAnalysis.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <numeric>
#include <sys/stat.h>
#include <unordered_map>

#include "engine/CsvFile.h"
#include "engine/Decimal.h"
#include "engine/Encoding.h"
#include "engine/LineFormat.h"

namespace habitual {
namespace {

constexpr std::size_t KeyLimit = 255;
constexpr std::size_t NutrientNameLimit = 127;
constexpr std::size_t ClassNameLimit = 63;

struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};

std::string_view FieldOf(const TCsvFile& reader, std::int32_t column) {
    if (column < 0 || column >= reader.NFields) return {};
    return reader.Fields[column];
}

std::string CutName(std::string_view name, std::size_t limit) {
    return std::string(name.substr(0, Cp932CutLength(name, limit)));
}

// Joins the texts of the given columns with 0x01. False when a text holds
// the separator itself, which would make two different keys equal.
template <std::size_t N>
bool JoinKey(const TCsvFile& reader, const std::int32_t (&columns)[N], std::string& key) {
    key.clear();
    for (std::size_t k = 0; k < N; ++k) {
        if (k > 0) key += '\x01';
        std::string_view text = FieldOf(reader, columns[k]);
        if (text.find('\x01') != std::string_view::npos) return false;
        key += text;
    }
    return true;
}

struct TRunData {
    TAnova1Way Ctx;
    std::unordered_map<std::string, std::int32_t, TextHash, std::equal_to<>> ClassNos;
    std::vector<TKey> ClassKeys;
};

// Orders the records by classification key. Equal keys share a class
// number, so ranking the distinct keys and moving each record into the
// range of its rank sorts them in place in one pass.
void SortByClassKey(TRunData& run) {
    TAnova1Way& ctx = run.Ctx;
    const std::size_t nClasses = run.ClassKeys.size();
    std::vector<std::int32_t> order(nClasses);
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](std::int32_t a, std::int32_t b) {
        return ctx.Keys.Compare(run.ClassKeys[a], run.ClassKeys[b]) < 0;
    });
    std::vector<std::int32_t> rank(nClasses);
    for (std::size_t r = 0; r < nClasses; ++r) rank[order[r]] = static_cast<std::int32_t>(r);

    std::vector<std::int64_t> next(nClasses + 1, 0), end(nClasses, 0);
    for (std::int32_t i = 0; i < ctx.NAll; ++i) ++next[rank[ctx.AllRecords[i].ClassNo] + 1];
    for (std::size_t r = 0; r < nClasses; ++r) next[r + 1] += next[r];
    for (std::size_t r = 0; r < nClasses; ++r) end[r] = next[r + 1];
    for (std::size_t r = 0; r < nClasses; ++r) {
        while (next[r] < end[r]) {
            TIntakeRecord& rec = ctx.AllRecords[next[r]];
            const auto target = static_cast<std::size_t>(rank[rec.ClassNo]);
            if (target == r)
                ++next[r];
            else
                std::swap(rec, ctx.AllRecords[next[target]++]);
        }
    }
}

void AppendHeading(TResultLines& lines, const TAnalysisSettings& settings, const TAnova1Way& ctx,
                   const std::string& nutrientName, const std::string (&classNames)[3],
                   TKey classKey) {
    static const std::string& rule =
        Sjis("============================================================");
    static const std::string& nutrientFormat = Sjis("分析変数：[%s]");
    static const std::string& classHead = Sjis("分類変数：");
    lines.Add(rule);
    std::string line;
    FormatLine(line, nutrientFormat, {nutrientName});
    lines.Add(line);
    if (std::none_of(std::begin(settings.ClassColumns), std::end(settings.ClassColumns),
                     [](std::int32_t c) { return c >= 0; }))
        return;
    line = classHead;
    std::string piece;
    const std::string_view key = ctx.KeyText(classKey);
    for (int k = 0; k < 3; ++k) {
        if (classNames[k].empty()) continue;
        FormatLine(piece, "[%s=%s]", {classNames[k], KeyPart(key, k + 1)});
        line += piece;
    }
    CutToLine(line);
    lines.Add(line);
}

// Keys are made of the rows' bytes, so the file's size bounds the arena.
// Reserving address space up front spares the copies of a growing arena;
// pages are only used as keys are written.
void ReserveKeys(TCsvFile& reader, std::int32_t n, TKeyArena& keys) {
    struct stat st;
    if (fstat(fileno(reader.File), &st) != 0) return;
    try {
        keys.Reserve(static_cast<std::size_t>(st.st_size) + 4 * static_cast<std::size_t>(n));
    } catch (const std::bad_alloc&) {
        // The arena grows as needed instead.
    }
}

// The number of leading fields a data row must be split into to reach every
// chosen column; the fields after them are never looked at.
int FieldsNeeded(const TAnalysisSettings& s) {
    std::int32_t last = s.NutrientColumn;
    for (std::int32_t c : s.IdColumns) last = std::max(last, c);
    for (std::int32_t c : s.ClassColumns) last = std::max(last, c);
    // Compared before adding, so that no position overflows the count.
    return last >= TCsvFile::MaxRowFields ? TCsvFile::MaxRowFields : std::max(last + 1, 1);
}

TRunStatus ReadRecords(TCsvFile& reader, const TAnalysisSettings& settings, TRunData& run) {
    TAnova1Way& ctx = run.Ctx;
    std::string personKey, classKey;
    const int fieldsNeeded = FieldsNeeded(settings);
    for (std::int32_t i = 0; i < ctx.NAll; ++i) {
        reader.NFields = reader.ReadRow(reader.Fields, fieldsNeeded);
        TIntakeRecord& rec = ctx.AllRecords[i];
        rec.RowNo = i + 1;
        if (!JoinKey(reader, settings.IdColumns, personKey))
            return {TRunError::SeparatorInText, i + 1, true};
        if (!JoinKey(reader, settings.ClassColumns, classKey))
            return {TRunError::SeparatorInText, i + 1, false};
        // A cut key would merge persons or groups: refuse the run instead.
        if (personKey.size() > KeyLimit) return {TRunError::KeyTooLong, i + 1, true};
        if (classKey.size() > KeyLimit) return {TRunError::KeyTooLong, i + 1, false};
        rec.PersonKey = ctx.Keys.Add(personKey);
        rec.PersonPrefix[0] = KeyPrefix(personKey, 0);
        rec.PersonPrefix[1] = KeyPrefix(personKey, 8);
        auto found = run.ClassNos.find(std::string_view(classKey));
        if (found == run.ClassNos.end()) {
            const auto no = static_cast<std::int32_t>(run.ClassKeys.size());
            run.ClassKeys.push_back(ctx.Keys.Add(classKey));
            found = run.ClassNos.emplace(classKey, no).first;
        }
        rec.ClassNo = found->second;
        rec.ClassKey = run.ClassKeys[static_cast<std::size_t>(rec.ClassNo)];
        rec.Value = ParseDecimal(FieldOf(reader, settings.NutrientColumn));
    }
    if (reader.ReadFailed()) return {TRunError::ReadFailed};
    return {};
}

TRunStatus Run(const TAnalysisSettings& settings, TResultLines& lines,
               TGroupAnalysis analyseGroup) {
    auto reader = std::make_unique<TCsvFile>();
    if (!reader->Open(settings.FileName.c_str(), "rt")) return {TRunError::CannotOpen};
    reader->CountRows();
    if (reader->ReadFailed()) return {TRunError::ReadFailed};
    if (reader->NRows == 0) return {TRunError::NoRows};

    auto run = std::make_unique<TRunData>();
    TAnova1Way& ctx = run->Ctx;
    const std::int32_t n = reader->NRows - 1;
    if (!ctx.Allocate(n)) return {TRunError::OutOfMemory};
    ReserveKeys(*reader, n, ctx.Keys);

    reader->NextRow();
    const std::string nutrientName =
        CutName(FieldOf(*reader, settings.NutrientColumn), NutrientNameLimit);
    std::string classNames[3];
    for (int k = 0; k < 3; ++k)
        if (settings.ClassColumns[k] >= 0)
            classNames[k] = CutName(FieldOf(*reader, settings.ClassColumns[k]), ClassNameLimit);

    TRunStatus status = ReadRecords(*reader, settings, *run);
    reader->Close();
    if (!status.Ok()) return status;

    SortByClassKey(*run);

    std::int32_t g = 0;
    for (std::int32_t i = 0; i < n; ++i) {
        const TIntakeRecord& rec = ctx.AllRecords[i];
        TGroupRecord& target = ctx.Records[g++];
        target.PersonKey = rec.PersonKey;
        target.PersonPrefix[0] = rec.PersonPrefix[0];
        target.PersonPrefix[1] = rec.PersonPrefix[1];
        target.RowNo = rec.RowNo;
        target.Value = rec.Value;
        if (i + 1 < n && ctx.AllRecords[i + 1].ClassNo == rec.ClassNo) continue;
        AppendHeading(lines, settings, ctx, nutrientName, classNames, rec.ClassKey);
        ctx.NData = g;
        if (g > 1) analyseGroup(ctx, settings, lines);
        g = 0;
    }
    return {};
}

} // namespace

const char* KeyPart(std::string_view key, int n) {
    static char part[256];
    std::size_t len = 0;
    int current = 1;
    for (char c : key) {
        if (c == '\x01') {
            if (current == n) break;
            ++current;
        } else if (current == n && len < sizeof part - 1) {
            part[len++] = c;
        }
    }
    part[len] = '\0';
    return part;
}

TRunStatus RunAnalysis(const TAnalysisSettings& settings, TResultLines& lines,
                       TGroupAnalysis analyseGroup) {
    try {
        return Run(settings, lines, analyseGroup);
    } catch (const std::bad_alloc&) {
        return {TRunError::OutOfMemory};
    }
}

} // namespace habitual
