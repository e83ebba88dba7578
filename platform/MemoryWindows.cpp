#include <malloc.h>

#include "platform/Memory.h"

namespace habitual {

void* AllocateAligned(std::size_t bytes, std::size_t alignment) {
    return _aligned_malloc(bytes, alignment);
}

void FreeAligned(void* memory) {
    _aligned_free(memory);
}

void AdviseHugePages(void*, std::size_t) {
    // Large pages need the "Lock pages in memory" privilege, which ordinary
    // users lack; the arrays use the usual pages.
}

void PopulatePages(void*, std::size_t) {
    // Windows has no advice that commits pages without touching them; the
    // pages come with the first writes.
}

} // namespace habitual
