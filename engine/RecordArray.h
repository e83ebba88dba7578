// Arrays of trivial records, made without constructing their entries.
#pragma once

#include <cstddef>
#include <type_traits>

namespace habitual {

// Memory for n records of the given size, or nullptr. Large arrays are
// placed in huge pages where the system offers them.
void* AllocateRecords(std::size_t n, std::size_t size);
void FreeRecords(void* records);

template <class Record> Record* MakeRecordArray(std::size_t n) {
    static_assert(std::is_trivial_v<Record>);
    return static_cast<Record*>(AllocateRecords(n, sizeof(Record)));
}

template <class Record> void FreeRecordArray(Record*& records) {
    FreeRecords(records);
    records = nullptr;
}

} // namespace habitual
