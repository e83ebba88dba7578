#include <cstdlib>
#include <sys/mman.h>

#include "platform/Memory.h"

namespace habitual {

void* AllocateAligned(std::size_t bytes, std::size_t alignment) {
    if (alignment <= alignof(std::max_align_t)) return std::malloc(bytes);
    void* memory = nullptr;
    return posix_memalign(&memory, alignment, bytes) == 0 ? memory : nullptr;
}

void FreeAligned(void* memory) {
    std::free(memory);
}

void AdviseHugePages(void* memory, std::size_t bytes) {
    madvise(memory, bytes, MADV_HUGEPAGE);
}

} // namespace habitual
