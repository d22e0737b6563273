#pragma once

#include <cstddef>
#include <cstdlib>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace velmora {

/// Allocates large blocks on 2 MiB boundaries and asks the kernel to back them
/// with huge pages. A long projection writes a quarter of a gigabyte of fresh
/// records, and with 4 KiB pages faulting them in costs more than computing them.
template <typename T>
struct LargePageAllocator {
    using value_type = T;

    LargePageAllocator() = default;
    template <typename U>
    explicit LargePageAllocator(const LargePageAllocator<U>&) {}

    T* allocate(std::size_t n) {
        if (n > maxCount()) {
            throw std::bad_array_new_length();
        }
        const std::size_t bytes = n * sizeof(T);
        if (bytes < hugePage * 2) {
            return static_cast<T*>(::operator new(bytes));
        }
        const std::size_t rounded = (bytes + hugePage - 1) / hugePage * hugePage;
        void* block = std::aligned_alloc(hugePage, rounded);
        if (block == nullptr) {
            throw std::bad_alloc();
        }
#if defined(MADV_HUGEPAGE)
        ::madvise(block, rounded, MADV_HUGEPAGE);  // advice only: failure changes nothing
#endif
        return static_cast<T*>(block);
    }

    void deallocate(T* block, std::size_t n) {
        if (n * sizeof(T) < hugePage * 2) {
            ::operator delete(block);
        } else {
            std::free(block);
        }
    }

    /// Leaves new elements uninitialised: the blocks are written in full after
    /// they are sized, and zeroing them first would cost a pass of its own.
    template <typename U>
    void construct(U* element) noexcept {
        ::new (static_cast<void*>(element)) U;
    }

    template <typename U>
    friend bool operator==(const LargePageAllocator&, const LargePageAllocator<U>&) {
        return true;
    }

private:
    static constexpr std::size_t hugePage = std::size_t{2} << 20;
    static constexpr std::size_t maxCount() {
        return (std::size_t(-1) - hugePage) / sizeof(T);
    }
};

}  // namespace velmora
