#include "engine/RunData.h"

#include <algorithm>
#include <memory>
#include <new>
#include <numeric>

#include "engine/Anova1Way.h"
#include "engine/CsvFile.h"
#include "engine/Decimal.h"
#include "engine/Encoding.h"
#include "engine/RecordArray.h"
#include "platform/Files.h"

namespace habitual {
namespace {

constexpr std::size_t KeyLimit = 255;
constexpr std::size_t NutrientNameLimit = 127;
constexpr std::size_t ClassNameLimit = 63;

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

// Keys are made of the rows' bytes, so the file's size bounds the arena.
// Reserving address space up front spares the copies of a growing arena;
// pages are only used as keys are written.
void ReserveKeys(std::uint64_t size, std::int32_t n, TKeyArena& keys) {
    try {
        keys.Reserve(static_cast<std::size_t>(size) + 4 * static_cast<std::size_t>(n));
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

} // namespace

TRunData::~TRunData() {
    Release();
}

void TRunData::Release() {
    FreeRecordArray(AllRecords);
    NAll = 0;
}

bool TRunData::Allocate(std::int32_t n) {
    Release();
    if (n <= 0) return true;
    AllRecords = MakeRecordArray<TIntakeRecord>(static_cast<std::size_t>(n));
    if (!AllRecords) return false;
    NAll = n;
    return true;
}

TRunStatus InputStatus(const TInputProblem& problem) {
    TRunStatus status;
    switch (problem.Kind) {
    case TInputProblem::TKind::None:
        break;
    case TInputProblem::TKind::CannotOpen:
        status.Error = TRunError::CannotOpen;
        break;
    case TInputProblem::TKind::ReadFailed:
        status.Error = TRunError::ReadFailed;
        break;
    default:
        status.Error = TRunError::Input;
        status.Input = problem;
        break;
    }
    return status;
}

TRunStatus TRunData::Read(const TAnalysisSettings& settings, const TInputOptions& input,
                          const TSurveyOpener& open) {
    TOpenedSurvey survey =
        open ? open(settings.FileName, input) : OpenCsvSurvey(settings.FileName, input);
    if (!survey.Source) {
        TRunStatus status = InputStatus(survey.Problem);
        return status.Ok() ? TRunStatus{TRunError::CannotOpen} : status;
    }
    Format = survey.Format;
    const std::uint64_t size = survey.Source->SizeHint();
    auto reader = std::make_unique<TCsvFile>();
    reader->Attach(std::move(survey.Source));
    reader->CountRows();
    if (reader->ReadFailed()) return {TRunError::ReadFailed};
    if (reader->NRows == 0) return {TRunError::NoRows};
    SkippedWithText = reader->SkippedWithText;

    const std::int32_t n = reader->NRows - 1;
    if (!Allocate(n)) return {TRunError::OutOfMemory};
    ReserveKeys(size, n, Keys);

    reader->NextRow();
    NutrientName = CutName(FieldOf(*reader, settings.NutrientColumn), NutrientNameLimit);
    for (int k = 0; k < 3; ++k)
        ClassNames[k] = settings.ClassColumns[k] >= 0
                            ? CutName(FieldOf(*reader, settings.ClassColumns[k]), ClassNameLimit)
                            : std::string();

    const TRunStatus status = ReadRecords(*reader, settings, n, input.SkipMissing);
    reader->Close();
    if (!status.Ok()) {
        Release();
        return status;
    }
    SortByClassKey();
    return {};
}

TRunStatus TRunData::ReadRecords(TCsvFile& reader, const TAnalysisSettings& settings,
                                 std::int32_t dataRows, bool skipMissing) {
    std::string personKey, classKey;
    const int fieldsNeeded = FieldsNeeded(settings);
    std::int32_t kept = 0;
    for (std::int32_t i = 0; i < dataRows; ++i) {
        reader.NFields = reader.ReadRow(reader.Fields, fieldsNeeded);
        TIntakeRecord& rec = AllRecords[kept];
        rec.RowNo = i + 1;
        if (!JoinKey(reader, settings.IdColumns, personKey))
            return {TRunError::SeparatorInText, i + 1, true};
        if (!JoinKey(reader, settings.ClassColumns, classKey))
            return {TRunError::SeparatorInText, i + 1, false};
        // A cut key would merge persons or groups: refuse the run instead.
        if (personKey.size() > KeyLimit) return {TRunError::KeyTooLong, i + 1, true};
        if (classKey.size() > KeyLimit) return {TRunError::KeyTooLong, i + 1, false};
        auto found = ClassNos.find(std::string_view(classKey));
        if (found == ClassNos.end()) {
            const auto no = static_cast<std::int32_t>(ClassKeys.size());
            ClassKeys.push_back(Keys.Add(classKey));
            ClassSizes.push_back(0);
            ClassMissing.emplace_back();
            found = ClassNos.emplace(classKey, no).first;
        }
        const std::int32_t classNo = found->second;
        bool isNumber = true;
        rec.Value = ParseDecimal(FieldOf(reader, settings.NutrientColumn), isNumber);
        if (!isNumber) {
            ClassMissing[static_cast<std::size_t>(classNo)].Add(i + 1);
            if (skipMissing) continue;
        }
        rec.PersonKey = Keys.Add(personKey);
        rec.PersonPrefix[0] = KeyPrefix(personKey, 0);
        rec.PersonPrefix[1] = KeyPrefix(personKey, 8);
        rec.ClassNo = classNo;
        rec.ClassKey = ClassKeys[static_cast<std::size_t>(classNo)];
        ++ClassSizes[static_cast<std::size_t>(classNo)];
        ++kept;
    }
    NAll = kept;
    if (reader.ReadFailed()) return {TRunError::ReadFailed};
    return {};
}

// Orders the records by classification key. Equal keys share a class
// number, so ranking the distinct keys and moving each record into the
// range of its rank sorts them in place in one pass.
void TRunData::SortByClassKey() {
    const std::size_t nClasses = ClassKeys.size();
    std::vector<std::int32_t> order(nClasses);
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](std::int32_t a, std::int32_t b) {
        return Keys.Compare(ClassKeys[a], ClassKeys[b]) < 0;
    });
    std::vector<std::int32_t> rank(nClasses);
    for (std::size_t r = 0; r < nClasses; ++r) rank[order[r]] = static_cast<std::int32_t>(r);

    std::vector<std::int64_t> next(nClasses + 1, 0), end(nClasses, 0);
    for (std::int32_t i = 0; i < NAll; ++i) ++next[rank[AllRecords[i].ClassNo] + 1];
    for (std::size_t r = 0; r < nClasses; ++r) next[r + 1] += next[r];
    for (std::size_t r = 0; r < nClasses; ++r) end[r] = next[r + 1];
    Groups.clear();
    Missing.clear();
    for (std::size_t r = 0; r < nClasses; ++r) {
        const auto no = static_cast<std::size_t>(order[r]);
        // A key all of whose rows were left out has no records and no group.
        if (ClassSizes[no] > 0)
            Groups.push_back({static_cast<std::int32_t>(next[r]), static_cast<std::int32_t>(end[r]),
                              ClassKeys[no]});
        if (ClassMissing[no].Count > 0) Missing.push_back({ClassKeys[no], ClassMissing[no]});
    }
    for (std::size_t r = 0; r < nClasses; ++r) {
        while (next[r] < end[r]) {
            TIntakeRecord& rec = AllRecords[next[r]];
            const auto target = static_cast<std::size_t>(rank[rec.ClassNo]);
            if (target == r)
                ++next[r];
            else
                std::swap(rec, AllRecords[next[target]++]);
        }
    }
}

std::int32_t TRunData::LargestGroup() const {
    std::int32_t largest = 0;
    for (const TGroupRange& g : Groups) largest = std::max(largest, g.Size());
    return largest;
}

void TRunData::FillGroup(const TGroupRange& group, TAnova1Way& ctx) const {
    std::int32_t g = 0;
    for (std::int32_t i = group.Begin; i < group.End; ++i) {
        const TIntakeRecord& rec = AllRecords[i];
        TGroupRecord& target = ctx.Records[g++];
        target.PersonKey = rec.PersonKey;
        target.PersonPrefix[0] = rec.PersonPrefix[0];
        target.PersonPrefix[1] = rec.PersonPrefix[1];
        target.RowNo = rec.RowNo;
        target.Draw = 0;
        target.Value = rec.Value;
    }
    ctx.NData = g;
    ctx.Keys = &Keys;
}

} // namespace habitual
