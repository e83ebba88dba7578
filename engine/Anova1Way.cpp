#include "engine/Anova1Way.h"

#include <cstdlib>
#include <sys/mman.h>
#include <type_traits>

namespace habitual {
namespace {

// The record arrays are large and written once from end to end; in huge
// pages the system maps them with a few faults instead of one per 4 KiB.
// The records are trivial types: memory of the right size and alignment
// holds them without construction, and their entries are written before
// they are read.
template <class Record> Record* MakeArray(std::size_t n) {
    static_assert(std::is_trivial_v<Record>);
    constexpr std::size_t Huge = std::size_t{2} << 20;
    // Small surveys keep small arrays.
    if (n * sizeof(Record) < Huge) return static_cast<Record*>(std::malloc(n * sizeof(Record)));
    const std::size_t bytes = (n * sizeof(Record) + Huge - 1) / Huge * Huge;
    void* memory = nullptr;
    if (posix_memalign(&memory, Huge, bytes) != 0) return nullptr;
    madvise(memory, bytes, MADV_HUGEPAGE); // a hint; without it the arrays work the same
    return static_cast<Record*>(memory);
}

template <class Record> void FreeArray(Record*& array) {
    std::free(array);
    array = nullptr;
}

} // namespace

TAnova1Way::~TAnova1Way() {
    Release();
}

void TAnova1Way::Release() {
    FreeArray(Records);
    FreeArray(Persons);
    FreeArray(AllRecords);
    FreeArray(SortRoomRecords);
    FreeArray(SortRoomPersons);
}

bool TAnova1Way::Allocate(std::int32_t n) {
    if (n == NAll) return true;
    Release();
    NAll = 0;
    if (n <= 0) return true;
    const auto count = static_cast<std::size_t>(n);
    Records = MakeArray<TGroupRecord>(count);
    Persons = MakeArray<TPersonRecord>(count);
    AllRecords = MakeArray<TIntakeRecord>(count);
    SortRoomRecords = MakeArray<TGroupRecord>(count);
    SortRoomPersons = MakeArray<TPersonRecord>(count);
    if (!Records || !Persons || !AllRecords || !SortRoomRecords || !SortRoomPersons) {
        Release();
        return false;
    }
    NAll = n;
    return true;
}

} // namespace habitual
