#include "engine/RunData.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <limits>
#include <memory>
#include <new>
#include <numeric>
#include <optional>
#include <system_error>
#include <thread>

#include "engine/Anova1Way.h"
#include "engine/CsvFile.h"
#include "engine/Decimal.h"
#include "engine/Encoding.h"
#include "engine/RadixSort.h"
#include "engine/RecordArray.h"
#include "engine/RecordMaker.h"
#include "engine/Workers.h"
#include "platform/Files.h"
#include "platform/Memory.h"

namespace habitual {
namespace {

constexpr std::size_t NutrientNameLimit = 127;
constexpr std::size_t ClassNameLimit = 63;

std::string_view FieldOf(const TCsvFile& reader, std::int32_t column) {
    if (column < 0 || column >= reader.NFields) return {};
    return reader.Fields[column];
}

std::string CutName(std::string_view name, std::size_t limit) {
    return std::string(name.substr(0, Cp932CutLength(name, limit)));
}

// Keys are made of the rows' bytes, so the file's size bounds the arena.
// Reserving address space up front spares the copies of a growing arena;
// pages are only used as keys are written.
void ReserveKeys(std::uint64_t size, std::int64_t n, TKeyArena& keys) {
    try {
        keys.Reserve(static_cast<std::size_t>(size) + 4 * static_cast<std::size_t>(n));
    } catch (const std::bad_alloc&) {
        // The arena grows as needed instead.
    }
}

// The number of leading fields a data row must be split into to reach every
// chosen column; the fields after them are never looked at.
int FieldsNeeded(const TAnalysisSettings& s, const std::vector<TValueColumn>& columns) {
    std::int32_t last = 0;
    for (const TValueColumn& c : columns) last = std::max(last, c.Column);
    for (std::int32_t c : s.IdColumns) last = std::max(last, c);
    for (std::int32_t c : s.ClassColumns) last = std::max(last, c);
    // Compared before adding, so that no position overflows the count.
    return last >= TCsvFile::MaxRowFields ? TCsvFile::MaxRowFields : std::max(last + 1, 1);
}

// The columns every column asks for: those of the header that identify
// neither persons nor groups.
std::vector<std::int32_t> CandidateColumns(const TAnalysisSettings& s, std::int32_t headerFields) {
    std::vector<std::int32_t> list;
    for (std::int32_t c = 0; c < headerFields; ++c) {
        const bool id =
            std::find(std::begin(s.IdColumns), std::end(s.IdColumns), c) != std::end(s.IdColumns);
        const bool cls = std::find(std::begin(s.ClassColumns), std::end(s.ClassColumns), c) !=
                         std::end(s.ClassColumns);
        if (!id && !cls) list.push_back(c);
    }
    return list;
}

} // namespace

TRunData::~TRunData() {
    Release();
}

void TRunData::Release() {
    FreeRecordArray(AllRecords);
    NAll = 0;
    Values.reset();
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
                          const TSurveyOpener& open, const TColumnChoice& columns) {
    std::optional<TStageTimer> stage(std::in_place, Times, TStage::Count);
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
    // One pass reads the rows; a quick one before it bounds their number, so
    // that the records are had at once, and finds where a second reader can
    // start.
    TRowSplit split;
    const bool twoReaders = ThreadCount(Threads) > 1 && size >= TwoReadersFrom;
    const std::int64_t bound = reader->RowBound(twoReaders ? &split : nullptr);
    if (reader->ReadFailed()) return {TRunError::ReadFailed};
    SkippedWithText = {};
    reader->SkippedWithText = {};
    bool headerCounts = false;
    reader->NFields = reader->ReadCountedRow(reader->Fields, TCsvFile::MaxRowFields, headerCounts);
    if (reader->NFields < 0) {
        return {reader->ReadFailed() ? TRunError::ReadFailed : TRunError::NoRows};
    }
    // The second reader takes the rows from the cut on, the first those
    // before it; the header must lie before the cut.
    std::unique_ptr<TCsvFile> second;
    if (split.Offset && reader->Position() <= split.Offset) second = reader->ReaderFrom(split);
    if (second) reader->EndAt(split.Offset);
    const auto n = static_cast<std::int32_t>(
        std::min<std::int64_t>(bound - 1, std::numeric_limits<std::int32_t>::max()));
    if (!Allocate(n)) return {TRunError::OutOfMemory};

    stage.emplace(Times, TStage::Read);
    // The system zero-fills each new page of the records at its first write,
    // which costs about as much as the reading itself on a large survey:
    // another thread, where the run may use one and no second reader does,
    // has it done ahead of the reader.
    std::jthread populate; // joined on every way out
    if (const std::size_t bytes = static_cast<std::size_t>(n) * sizeof(TIntakeRecord);
        !second && bytes >= (std::size_t{8} << 20) && ThreadCount(Threads) > 1) {
        try {
            populate =
                std::jthread([records = AllRecords, bytes] { PopulatePages(records, bytes); });
        } catch (const std::system_error&) {
            // Without a thread the pages come as the records are written.
        }
    }
    std::vector<std::int32_t> list = columns.List;
    if (columns.AllNumeric)
        list = CandidateColumns(settings, reader->NFields);
    else if (list.empty())
        list.push_back(settings.NutrientColumn);
    Columns.assign(list.size(), {});
    for (std::size_t k = 0; k < list.size(); ++k) {
        Columns[k].Column = list[k];
        Columns[k].Name = CutName(FieldOf(*reader, list[k]), NutrientNameLimit);
    }
    for (int k = 0; k < 3; ++k)
        ClassNames[k] = settings.ClassColumns[k] >= 0
                            ? CutName(FieldOf(*reader, settings.ClassColumns[k]), ClassNameLimit)
                            : std::string();

    TRecordRules rules;
    rules.Settings = &settings;
    rules.Columns = list;
    rules.FieldsNeeded =
        columns.AllNumeric ? TCsvFile::MaxRowFields : FieldsNeeded(settings, Columns);
    rules.SkipMissing = input.SkipMissing;
    rules.CheckNumbers = columns.AllNumeric;
    // The first reader's records: at most its part's bound but the header.
    const auto firstCapacity =
        static_cast<std::int32_t>(second ? std::min<std::int64_t>(split.BoundBefore - 1, n) : n);
    TRunStatus status = ReadRecords(*reader, second.get(), rules, firstCapacity,
                                    second ? split.Offset : size, size);
    if (populate.joinable()) populate.join();
    SkippedWithText = reader->SkippedWithText;
    if (second) SkippedWithText.Append(second->SkippedWithText, 0);
    reader->Close();
    // A file whose every row is blank but for spaces and quotes has no rows.
    if (status.Ok() && !headerCounts && NAll == 0) status = {TRunError::NoRows};
    if (status.Ok() && columns.AllNumeric) {
        // Only the columns whose every field is a number or blank, and some
        // a number, are analysed.
        std::vector<std::size_t> keep;
        for (std::size_t k = 0; k < Columns.size(); ++k)
            if (AllNumbers[k] && AnyNumber[k]) keep.push_back(k);
        if (keep.empty())
            status = {TRunError::NoNumericColumn};
        else
            KeepColumns(keep);
    }
    if (!status.Ok()) {
        Release();
        SkippedWithText = {};
        return status;
    }
    stage.emplace(Times, TStage::SortByClass);
    SortByClassKey();
    stage.emplace(Times, TStage::SortByPerson);
    SortByPerson();
    stage.emplace(Times, TStage::Arrange);
    ArrangeColumns(input.SkipMissing);
    return {};
}

void TRunData::KeepColumns(const std::vector<std::size_t>& keep) {
    const std::size_t from = K();
    if (keep.size() == from) return;
    std::vector<TValueColumn> columns;
    std::vector<std::vector<TRowTally>> missing;
    std::vector<std::vector<std::uint8_t>> notNumbers;
    for (std::size_t k : keep) {
        columns.push_back(std::move(Columns[k]));
        missing.push_back(std::move(ClassMissing[k]));
        notNumbers.push_back(std::move(NotNumberRows[k]));
    }
    // The values, still in file order, lose the columns left out.
    if (keep.size() == 1) {
        for (std::int32_t i = 0; i < NAll; ++i)
            AllRecords[i].Value = Values[static_cast<std::size_t>(i) * from + keep[0]];
        Values.reset();
    } else {
        std::size_t at = 0;
        for (std::int32_t i = 0; i < NAll; ++i)
            for (std::size_t k : keep)
                Values[at++] = Values[static_cast<std::size_t>(i) * from + k];
    }
    Columns = std::move(columns);
    ClassMissing = std::move(missing);
    NotNumberRows = std::move(notNumbers);
}

TRunStatus TRunData::ReadRecords(TCsvFile& reader, TCsvFile* second, const TRecordRules& rules,
                                 std::int32_t firstCapacity, std::uint64_t firstBytes,
                                 std::uint64_t bytes) {
    const std::size_t K = rules.Columns.size();
    if (K > 1) Values.reset(new double[static_cast<std::size_t>(NAll) * K]);
    TRecordMaker first(rules, AllRecords, Values.get(), firstCapacity);
    ReserveKeys(bytes, NAll, first.Keys);
    // The second half, where there is one, is read on a thread of its own
    // into the records behind the first half's.
    std::optional<TRecordMaker> later;
    TRunStatus laterStatus;
    std::exception_ptr laterFailure;
    std::atomic<bool> stop{false};
    std::jthread laterThread; // joined before later goes
    auto readLater = [&] {
        try {
            laterStatus = later->ReadRows(*second);
        } catch (...) {
            laterFailure = std::current_exception();
        }
    };
    if (second) {
        later.emplace(rules, AllRecords + firstCapacity,
                      K > 1 ? Values.get() + static_cast<std::size_t>(firstCapacity) * K : nullptr,
                      NAll - firstCapacity);
        later->Stop = &stop;
        ReserveKeys(bytes - firstBytes, NAll - firstCapacity, later->Keys);
        try {
            laterThread = std::jthread(readLater);
        } catch (const std::system_error&) {
            // Read after the first half instead.
        }
    }
    TRunStatus status = first.ReadRows(reader);
    // After an error in the first half, nothing of the second half counts.
    if (!status.Ok()) stop = true;
    if (laterThread.joinable())
        laterThread.join();
    else if (later && status.Ok())
        readLater();
    if (laterFailure && status.Ok()) std::rethrow_exception(laterFailure);
    if (later && status.Ok()) {
        // The first error in the order of the rows: the second half's rows
        // come after the first half's, blank rows held at its end included.
        status = laterStatus;
        if (!status.Ok() && status.RowNo > 0)
            status.RowNo += first.Taken + first.Held;
        else if (status.Ok())
            status = first.Join(*later);
    }
    NAll = first.Taken;
    Keys = std::move(first.Keys);
    ClassKeys = std::move(first.ClassKeys);
    ClassSizes = std::move(first.ClassSizes);
    ClassMissing = std::move(first.ClassMissing);
    NotNumberRows = std::move(first.NotNumberRows);
    AllNumbers = std::move(first.AllNumbers);
    AnyNumber = std::move(first.AnyNumber);
    return status;
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
    for (TValueColumn& column : Columns) column.Missing.clear();
    for (std::size_t r = 0; r < nClasses; ++r) {
        const auto no = static_cast<std::size_t>(order[r]);
        if (ClassSizes[no] > 0)
            Groups.push_back({static_cast<std::int32_t>(next[r]), static_cast<std::int32_t>(end[r]),
                              ClassKeys[no]});
        for (std::size_t k = 0; k < Columns.size(); ++k)
            if (ClassMissing[k][no].Count > 0)
                Columns[k].Missing.push_back({ClassKeys[no], ClassMissing[k][no]});
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

// Orders each group's records by person, and a person's by data row, the
// order Anova works in: done once here for every column of the run. A
// large group is sorted by a radix sort of the keys' first eight bytes,
// records whose first eight bytes are equal then by the whole order.
void TRunData::SortByPerson() {
    auto less = [this](const TIntakeRecord& a, const TIntakeRecord& b) {
        if (a.PersonPrefix[0] != b.PersonPrefix[0]) return a.PersonPrefix[0] < b.PersonPrefix[0];
        if (a.PersonPrefix[1] != b.PersonPrefix[1]) return a.PersonPrefix[1] < b.PersonPrefix[1];
        if (a.PersonKey.Length() > 16 || b.PersonKey.Length() > 16)
            if (const int c = Keys.Compare(a.PersonKey, b.PersonKey); c != 0) return c < 0;
        return a.RowNo < b.RowNo;
    };
    // The groups are sorted at once on the run's threads, each with room
    // for the keys of the largest group.
    const int threads = NAll < 100000 ? 1 : ThreadCount(Threads);
    std::int32_t largest = 0;
    for (const TGroupRange& group : Groups) largest = std::max(largest, group.Size());
    constexpr std::int32_t RadixFrom = 512;
    // Room for the keys twice and for the records, which are gathered into
    // it in order: on a large group far faster than moving them in place.
    const std::size_t roomBytes =
        (2 * sizeof(TKeyIndex) + sizeof(TIntakeRecord)) * static_cast<std::size_t>(largest);
    std::vector<TRecordArrayHolder<TKeyIndex>> rooms(static_cast<std::size_t>(threads));
    ShareOut(threads, Groups.size(), [&](std::size_t i, int thread) {
        TIntakeRecord* first = AllRecords + Groups[i].Begin;
        const std::int32_t n = Groups[i].Size();
        TKeyIndex* room =
            n >= RadixFrom
                ? rooms[static_cast<std::size_t>(thread)].Get(roomBytes / sizeof(TKeyIndex))
                : nullptr;
        if (!room) {
            std::sort(first, first + n, less);
            return;
        }
        SortByBits(
            first, n, room, roomBytes, [](const TIntakeRecord& r) { return r.PersonPrefix[0]; },
            less);
    });
}

// Brings what the columns hold per data row into the records' order: the
// values of several columns and the records each column leaves out, and
// counts each group's records per column.
void TRunData::ArrangeColumns(bool skipMissing) {
    const std::size_t K = Columns.size();
    if (K > 1) {
        // Record i takes the values of data row RowNo - 1: moved in place
        // along the cycles of that order, each row once.
        std::vector<std::uint8_t> done(static_cast<std::size_t>(NAll), 0);
        std::vector<double> held(K);
        for (std::int32_t i = 0; i < NAll; ++i) {
            if (done[static_cast<std::size_t>(i)]) continue;
            double* at = &Values[static_cast<std::size_t>(i) * K];
            std::copy(at, at + K, held.begin());
            std::int32_t j = i;
            for (;;) {
                done[static_cast<std::size_t>(j)] = 1;
                const std::int32_t from = AllRecords[j].RowNo - 1;
                double* to = &Values[static_cast<std::size_t>(j) * K];
                if (from == i) {
                    std::copy(held.begin(), held.end(), to);
                    break;
                }
                std::copy(&Values[static_cast<std::size_t>(from) * K],
                          &Values[static_cast<std::size_t>(from) * K] + K, to);
                j = from;
            }
        }
    }
    for (std::size_t k = 0; k < K; ++k) {
        TValueColumn& column = Columns[k];
        const std::vector<std::uint8_t>& rows = NotNumberRows[k];
        if (skipMissing && !rows.empty()) {
            column.LeftOut.resize(static_cast<std::size_t>(NAll));
            for (std::int32_t i = 0; i < NAll; ++i)
                column.LeftOut[static_cast<std::size_t>(i)] =
                    rows[static_cast<std::size_t>(AllRecords[i].RowNo - 1)];
        }
        column.GroupSizes.resize(Groups.size());
        for (std::size_t g = 0; g < Groups.size(); ++g) {
            std::int32_t size = Groups[g].Size();
            if (!column.LeftOut.empty())
                for (std::int32_t i = Groups[g].Begin; i < Groups[g].End; ++i)
                    size -= column.LeftOut[static_cast<std::size_t>(i)];
            column.GroupSizes[g] = size;
        }
    }
    ClassMissing = {};
    NotNumberRows = {};
}

std::int32_t TRunData::LargestGroup() const {
    std::int32_t largest = 0;
    for (const TValueColumn& column : Columns)
        for (std::int32_t size : column.GroupSizes) largest = std::max(largest, size);
    return largest;
}

void TRunData::FillGroup(const TGroupRange& group, TAnova1Way& ctx, std::size_t k) const {
    const std::vector<std::uint8_t>& leftOut = Columns[k].LeftOut;
    std::int32_t g = 0;
    for (std::int32_t i = group.Begin; i < group.End; ++i) {
        if (!leftOut.empty() && leftOut[static_cast<std::size_t>(i)]) continue;
        const TIntakeRecord& rec = AllRecords[i];
        TGroupRecord& target = ctx.Records[g++];
        target.PersonKey = rec.PersonKey;
        target.PersonPrefix[0] = rec.PersonPrefix[0];
        target.PersonPrefix[1] = rec.PersonPrefix[1];
        target.RowNo = rec.RowNo;
        target.Draw = 0;
        target.Value = ValueOf(i, k);
    }
    ctx.NData = g;
    ctx.Keys = &Keys;
}

} // namespace habitual
