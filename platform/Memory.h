// Memory for the large arrays of the engine.
#pragma once

#include <cstddef>

namespace habitual {

// bytes of memory aligned to alignment (a power of two), or nullptr. Free it
// with FreeAligned only.
void* AllocateAligned(std::size_t bytes, std::size_t alignment);
void FreeAligned(void* memory);

// Asks the system to back an aligned block with huge pages; a hint only,
// without which the memory works the same (Windows gives large pages only to
// users with a special privilege, so there it does nothing).
void AdviseHugePages(void* memory, std::size_t bytes);

// Has the system give a block its pages now, without changing its contents,
// so that the first writes into it need not wait for them; safe while other
// threads write into the block. A hint only: where the system cannot, the
// pages come with the first writes as usual.
void PopulatePages(void* memory, std::size_t bytes);

} // namespace habitual
