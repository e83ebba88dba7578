#include "engine/RecordArray.h"

#include <cstdlib>
#include <sys/mman.h>

namespace habitual {

// The record arrays are large and written once from end to end; in huge
// pages the system maps them with a few faults instead of one per 4 KiB.
void* AllocateRecords(std::size_t n, std::size_t size) {
    constexpr std::size_t Huge = std::size_t{2} << 20;
    if (n == 0) return nullptr;
    // Small surveys keep small arrays.
    if (n * size < Huge) return std::malloc(n * size);
    const std::size_t bytes = (n * size + Huge - 1) / Huge * Huge;
    void* memory = nullptr;
    if (posix_memalign(&memory, Huge, bytes) != 0) return nullptr;
    madvise(memory, bytes, MADV_HUGEPAGE); // a hint; without it the arrays work the same
    return memory;
}

void FreeRecords(void* records) {
    std::free(records);
}

} // namespace habitual
