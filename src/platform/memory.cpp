#include "platform/memory.h"

#include <cstdint>
#include <cstdlib>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace korvel::platform {

namespace {

constexpr size_t kHugePage = size_t{2} << 20;
constexpr size_t kHugePageFrom = size_t{4} << 20;

// Marks the whole huge pages inside [block, block + bytes) for transparent
// huge pages. calloc takes blocks this large straight from mmap and leaves
// their pages untouched (they are zero already), so the first write faults
// the pages in 2 MiB at a time. Where huge pages are off, or the block came
// from already-used heap memory, the advice changes nothing.
void adviseHugePages([[maybe_unused]] void* block, [[maybe_unused]] size_t bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    const auto start = reinterpret_cast<uintptr_t>(block);
    const uintptr_t first = (start + kHugePage - 1) & ~(kHugePage - 1);
    const uintptr_t end = (start + bytes) & ~(kHugePage - 1);
    if (end > first) madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
#endif
}

}  // namespace

void* allocateZeroed(size_t count, size_t size) {
    void* block = std::calloc(count, size);
    if (block != nullptr && size != 0 && count >= kHugePageFrom / size) adviseHugePages(block, count * size);
    return block;
}

}  // namespace korvel::platform
