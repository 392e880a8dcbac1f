// A model table: one zero-filled heap block of records that is either present
// (possibly with zero records) or absent. The block comes from calloc, so a
// huge count that the system cannot give leaves the table absent instead of
// throwing, and size() always tells how many records may be read.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <memory>
#include <span>

namespace korvel::model {

template <class T>
class Table {
public:
    // Releases the old block and allocates count zeroed records; false (and
    // absent) when the allocation fails.
    bool allocate(size_t count) {
        release();
        void* block = std::calloc(count == 0 ? 1 : count, sizeof(T));
        if (block == nullptr) return false;
        block_.reset(static_cast<T*>(block));
        size_ = count;
        return true;
    }
    void release() {
        block_.reset();
        size_ = 0;
    }

    bool present() const { return block_ != nullptr; }
    size_t size() const { return size_; }
    T* data() { return block_.get(); }
    const T* data() const { return block_.get(); }
    T& operator[](size_t i) { return block_.get()[i]; }
    const T& operator[](size_t i) const { return block_.get()[i]; }
    std::span<T> span() { return {block_.get(), size_}; }
    std::span<const T> span() const { return {block_.get(), size_}; }
    // Record i when it exists, else null: the bounds-checked access consumers use.
    T* at(long long i) { return i >= 0 && static_cast<size_t>(i) < size_ ? block_.get() + i : nullptr; }
    const T* at(long long i) const { return i >= 0 && static_cast<size_t>(i) < size_ ? block_.get() + i : nullptr; }

private:
    struct Free {
        void operator()(T* p) const { std::free(p); }
    };
    std::unique_ptr<T, Free> block_;
    size_t size_ = 0;
};

}  // namespace korvel::model
