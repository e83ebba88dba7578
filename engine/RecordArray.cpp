#include "engine/RecordArray.h"

#include "platform/Memory.h"

namespace habitual {

// The record arrays are large and written once from end to end; in huge
// pages the system maps them with a few faults instead of one per 4 KiB.
void* AllocateRecords(std::size_t n, std::size_t size) {
    constexpr std::size_t Huge = std::size_t{2} << 20;
    if (n == 0) return nullptr;
    // Small surveys keep small arrays.
    if (n * size < Huge) return AllocateAligned(n * size, alignof(std::max_align_t));
    const std::size_t bytes = (n * size + Huge - 1) / Huge * Huge;
    void* memory = AllocateAligned(bytes, Huge);
    if (memory) AdviseHugePages(memory, bytes);
    return memory;
}

void FreeRecords(void* records) {
    FreeAligned(records);
}

} // namespace habitual
