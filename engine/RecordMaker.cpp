#include "engine/RecordMaker.h"

#include <algorithm>
#include <cstring>

#include "engine/CsvFile.h"
#include "engine/Decimal.h"
#include "engine/RunData.h"

namespace habitual {
namespace {

constexpr std::size_t KeyLimit = 255;

std::string_view FieldOf(const char* const* fields, int nFields, std::int32_t column) {
    if (column < 0 || column >= nFields) return {};
    return fields[column];
}

// Joins the texts of the given columns with 0x01. False when a text holds
// the separator itself, which would make two different keys equal.
template <std::size_t N>
bool JoinKey(const char* const* fields, int nFields, const std::int32_t (&columns)[N],
             std::string& key) {
    key.clear();
    for (std::size_t k = 0; k < N; ++k) {
        if (k > 0) key += '\x01';
        std::string_view text = FieldOf(fields, nFields, columns[k]);
        if (text.find('\x01') != std::string_view::npos) return false;
        key += text;
    }
    return true;
}

} // namespace

TRecordMaker::TRecordMaker(const TRecordRules& rules, TIntakeRecord* records, double* values,
                           std::int32_t capacity)
    : Rules(rules), Records(records), Values(values), Capacity(capacity) {
    const std::size_t K = rules.Columns.size();
    ClassMissing.assign(K, {});
    NotNumberRows.assign(K, {});
    AllNumbers.assign(K, 1);
    AnyNumber.assign(K, 0);
}

std::int32_t TRecordMaker::ClassNumber(std::string_view key, std::optional<TKey> stored) {
    auto found = ClassNos.find(key);
    if (found != ClassNos.end()) return found->second;
    const auto no = static_cast<std::int32_t>(ClassKeys.size());
    ClassKeys.push_back(stored ? *stored : Keys.Add(key));
    ClassSizes.push_back(0);
    for (std::vector<TRowTally>& missing : ClassMissing) missing.emplace_back();
    ClassNos.emplace(key, no);
    return no;
}

TRunStatus TRecordMaker::Take(const char* const* fields, int nFields) {
    const std::int32_t i = Taken;
    const std::int32_t rowNo = i + 1;
    const TAnalysisSettings& settings = *Rules.Settings;
    if (!JoinKey(fields, nFields, settings.IdColumns, PersonKey))
        return {TRunError::SeparatorInText, rowNo, true};
    if (!JoinKey(fields, nFields, settings.ClassColumns, ClassKey))
        return {TRunError::SeparatorInText, rowNo, false};
    // A cut key would merge persons or groups: refuse the run instead.
    if (PersonKey.size() > KeyLimit) return {TRunError::KeyTooLong, rowNo, true};
    if (ClassKey.size() > KeyLimit) return {TRunError::KeyTooLong, rowNo, false};
    const std::int32_t classNo = ClassNumber(ClassKey);
    TIntakeRecord& rec = Records[i];
    rec.RowNo = rowNo;
    const std::size_t K = Rules.Columns.size();
    for (std::size_t k = 0; k < K; ++k) {
        const std::string_view field = FieldOf(fields, nFields, Rules.Columns[k]);
        bool isNumber = true;
        const double value = ParseDecimal(field, isNumber);
        if (K == 1)
            rec.Value = value;
        else
            Values[static_cast<std::size_t>(i) * K + k] = value;
        if (isNumber) {
            AnyNumber[k] = 1;
            if (Rules.CheckNumbers && AllNumbers[k] && !IsWholeNumber(field)) AllNumbers[k] = 0;
            continue;
        }
        if (Rules.CheckNumbers && !IsBlank(field)) AllNumbers[k] = 0;
        ClassMissing[k][static_cast<std::size_t>(classNo)].Add(rowNo);
        if (Rules.SkipMissing) {
            std::vector<std::uint8_t>& rows = NotNumberRows[k];
            if (rows.empty()) rows.assign(static_cast<std::size_t>(Capacity), 0);
            rows[static_cast<std::size_t>(i)] = 1;
        }
    }
    rec.PersonKey = Keys.Add(PersonKey);
    rec.PersonPrefix[0] = KeyPrefix(PersonKey, 0);
    rec.PersonPrefix[1] = KeyPrefix(PersonKey, 8);
    rec.ClassNo = classNo;
    ++ClassSizes[static_cast<std::size_t>(classNo)];
    ++Taken;
    return {};
}

TRunStatus TRecordMaker::ReadRows(TCsvFile& reader) {
    for (std::uint32_t row = 1;; ++row) {
        if (Stop && row % 4096 == 0 && Stop->load(std::memory_order_relaxed)) return {};
        bool counts = false;
        const int nFields = reader.ReadCountedRow(reader.Fields, Rules.FieldsNeeded, counts);
        if (nFields < 0) break;
        if (!counts) {
            ++Held;
            continue;
        }
        if (Capacity - Taken < Held + 1) return {TRunError::OutOfMemory};
        // A blank row reads as one without fields: every field empty.
        for (; Held > 0; --Held)
            if (const TRunStatus status = Take(nullptr, 0); !status.Ok()) return status;
        if (const TRunStatus status = Take(reader.Fields, nFields); !status.Ok()) return status;
    }
    if (reader.ReadFailed()) return {TRunError::ReadFailed};
    return {};
}

TRunStatus TRecordMaker::Join(TRecordMaker& later) {
    // Without a row that counts after them, this maker's held rows and the
    // later one's are no data rows.
    if (later.Taken == 0) return {};
    const auto room = static_cast<std::int32_t>(later.Records - Records) + later.Capacity;
    // The held rows go into this maker's own stretch, before the later's.
    if (Capacity - Taken < Held || room - Taken < Held + later.Taken)
        return {TRunError::OutOfMemory};
    for (; Held > 0; --Held)
        if (const TRunStatus status = Take(nullptr, 0); !status.Ok()) return status;
    Capacity = room;
    const std::int32_t shift = Taken;
    const std::uint64_t keyShift = Keys.Append(later.Keys) << 16;
    std::vector<std::int32_t> classNo(later.ClassKeys.size());
    for (std::size_t c = 0; c < classNo.size(); ++c) {
        TKey stored = later.ClassKeys[c];
        stored.Bits += keyShift;
        classNo[c] = ClassNumber(Keys.Text(stored), stored);
        const auto no = static_cast<std::size_t>(classNo[c]);
        ClassSizes[no] += later.ClassSizes[c];
        for (std::size_t k = 0; k < ClassMissing.size(); ++k)
            ClassMissing[k][no].Append(later.ClassMissing[k][c], shift);
    }
    // The later records lie at or behind where they go: copied forwards.
    for (std::int32_t j = 0; j < later.Taken; ++j) {
        TIntakeRecord rec = later.Records[j];
        rec.RowNo += shift;
        rec.ClassNo = classNo[static_cast<std::size_t>(rec.ClassNo)];
        rec.PersonKey.Bits += keyShift;
        Records[shift + j] = rec;
    }
    const std::size_t K = Rules.Columns.size();
    if (K > 1)
        std::memmove(Values + static_cast<std::size_t>(shift) * K, later.Values,
                     static_cast<std::size_t>(later.Taken) * K * sizeof(double));
    for (std::size_t k = 0; k < K; ++k) {
        const std::vector<std::uint8_t>& rows = later.NotNumberRows[k];
        std::vector<std::uint8_t>& ours = NotNumberRows[k];
        if (!ours.empty()) ours.resize(static_cast<std::size_t>(Capacity), 0);
        if (!rows.empty()) {
            if (ours.empty()) ours.assign(static_cast<std::size_t>(Capacity), 0);
            std::copy_n(rows.begin(), later.Taken, ours.begin() + shift);
        }
        AllNumbers[k] = AllNumbers[k] && later.AllNumbers[k];
        AnyNumber[k] = AnyNumber[k] || later.AnyNumber[k];
    }
    Taken += later.Taken;
    Held = later.Held;
    return {};
}

} // namespace habitual
