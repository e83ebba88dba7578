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

void PopulatePages(void* memory, std::size_t bytes) {
#ifdef MADV_POPULATE_WRITE
    // Linux 5.14 and later; older systems refuse the advice, which is harmless.
    madvise(memory, bytes, MADV_POPULATE_WRITE);
#else
    (void)memory;
    (void)bytes;
#endif
}

} // namespace habitual
