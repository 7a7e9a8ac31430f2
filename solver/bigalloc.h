// An allocator for the search's big arrays: on Linux, blocks of 2 MiB and more ask for huge
// pages, since touching hundreds of megabytes page by page costs more than the search itself.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <memory>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace nudgeboard::solver {

template <class T> struct BigAllocator {
    using value_type = T;

    BigAllocator() = default;
    template <class U> BigAllocator(const BigAllocator<U>&) {}

    static constexpr std::size_t hugePage = std::size_t{2} << 20;

    T* allocate(std::size_t n) {
#if defined(__linux__) // elsewhere plain blocks: MSVC, for one, has no std::aligned_alloc
        std::size_t bytes = n * sizeof(T);
        if (bytes >= hugePage) {
            std::size_t rounded = (bytes + hugePage - 1) / hugePage * hugePage;
            void* p = std::aligned_alloc(hugePage, rounded);
            if (p == nullptr)
                throw std::bad_alloc();
#if defined(MADV_HUGEPAGE)
            madvise(p, rounded, MADV_HUGEPAGE); // a hint: without it the block works all the same
#endif
            return static_cast<T*>(p);
        }
#endif
        return std::allocator<T>().allocate(n);
    }

    void deallocate(T* p, std::size_t n) {
#if defined(__linux__)
        if (n * sizeof(T) >= hugePage) {
            std::free(p);
            return;
        }
#endif
        std::allocator<T>().deallocate(p, n);
    }

    template <class U> bool operator==(const BigAllocator<U>&) const {
        return true;
    }
};

} // namespace nudgeboard::solver
