// Large zero-filled blocks for the model tables. A loader fills a table of
// hundreds of megabytes right after allocating it, so first-touch page
// faults cost as much as the parsing; the blocks ask the system for huge
// pages, which cuts those faults by a factor of 512 where it grants them.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <new>
#include <vector>

namespace korvel::platform {

// count zeroed records of size bytes from calloc (null when the system
// cannot give them or the product overflows); release with std::free. A
// block of 4 MiB or more is marked for transparent huge pages on Linux.
void* allocateZeroed(size_t count, size_t size);

// A standard allocator over allocateZeroed, for the loaders' large working
// arrays: LargeVector<T> is a std::vector whose big blocks get huge pages.
template <class T>
struct LargeBlockAllocator {
    using value_type = T;
    LargeBlockAllocator() = default;
    template <class U>
    LargeBlockAllocator(const LargeBlockAllocator<U>&) {}
    T* allocate(size_t count) {
        void* block = allocateZeroed(count, sizeof(T));
        if (block == nullptr) throw std::bad_alloc();
        return static_cast<T*>(block);
    }
    void deallocate(T* block, size_t) { std::free(block); }
    template <class U>
    bool operator==(const LargeBlockAllocator<U>&) const {
        return true;
    }
};

template <class T>
using LargeVector = std::vector<T, LargeBlockAllocator<T>>;

}  // namespace korvel::platform
