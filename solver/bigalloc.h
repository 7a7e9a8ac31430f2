// An allocator for the search's big arrays: it counts the bytes they hold against a limit, and
// on Linux, blocks of 2 MiB and more are mapped straight from the system, so that a freed one
// goes back at once instead of lingering in the heap, and ask for huge pages, since touching
// them page by page costs a large share of a search (a page fault is dear on a virtual machine).
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <limits>
#include <memory>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace nudgeboard::solver {

// The bytes every BigAllocator holds, and the most they may: past it an allocation throws
// std::bad_alloc as if the system had run out. One search sets the limit at a time.
struct BigMemory {
    static inline std::atomic<std::size_t> held{0};
    static inline std::atomic<std::size_t> peak{0};
    static inline std::atomic<std::size_t> limit{std::numeric_limits<std::size_t>::max()};
    static inline std::atomic<bool> refused{false}; // an allocation went past the limit

    // Sets the limit `bytes` beyond what is held now, and starts a new peak.
    static void setLimit(std::size_t bytes) {
        std::size_t now = held.load();
        peak = now;
        refused = false;
        limit = bytes > std::numeric_limits<std::size_t>::max() - now
                    ? std::numeric_limits<std::size_t>::max()
                    : now + bytes;
    }
    static void clearLimit() { limit = std::numeric_limits<std::size_t>::max(); }

    static void take(std::size_t bytes) {
        std::size_t now = held.fetch_add(bytes, std::memory_order_relaxed) + bytes;
        if (now > limit.load(std::memory_order_relaxed)) {
            held.fetch_sub(bytes, std::memory_order_relaxed);
            refused = true;
            throw std::bad_alloc();
        }
        std::size_t high = peak.load(std::memory_order_relaxed);
        while (now > high && !peak.compare_exchange_weak(high, now, std::memory_order_relaxed)) {
        }
    }
    static void give(std::size_t bytes) { held.fetch_sub(bytes, std::memory_order_relaxed); }
};

// A search's memory limit, set while it lives and lifted however the search ends.
struct MemoryLimit {
    explicit MemoryLimit(std::size_t bytes) { BigMemory::setLimit(bytes); }
    ~MemoryLimit() { BigMemory::clearLimit(); }
    MemoryLimit(const MemoryLimit&) = delete;
    MemoryLimit& operator=(const MemoryLimit&) = delete;
};

template <class T> struct BigAllocator {
    using value_type = T;

    BigAllocator() = default;
    template <class U> BigAllocator(const BigAllocator<U>&) {}

    static constexpr std::size_t hugePage = std::size_t{2} << 20;

    // What a block of n elements really takes.
    static std::size_t blockBytes(std::size_t n) {
        std::size_t bytes = n * sizeof(T);
#if defined(__linux__)
        if (bytes >= hugePage)
            return (bytes + hugePage - 1) / hugePage * hugePage;
#endif
        return bytes;
    }

    T* allocate(std::size_t n) {
        if (n > std::numeric_limits<std::size_t>::max() / sizeof(T) / 2)
            throw std::bad_alloc();
        std::size_t bytes = blockBytes(n);
        BigMemory::take(bytes);
        try {
#if defined(__linux__) // elsewhere plain blocks from the heap
            if (bytes >= hugePage) {
                void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS,
                               -1, 0);
                if (p == MAP_FAILED)
                    throw std::bad_alloc();
#if defined(MADV_HUGEPAGE)
                // A hint: a fault a huge page rather than a fault a 4 KiB page. The block is
                // counted in whole huge pages, as it may be resident.
                madvise(p, bytes, MADV_HUGEPAGE);
#endif
                return static_cast<T*>(p);
            }
#endif
            return std::allocator<T>().allocate(n);
        } catch (...) {
            BigMemory::give(bytes);
            throw;
        }
    }

    void deallocate(T* p, std::size_t n) {
        std::size_t bytes = blockBytes(n);
        BigMemory::give(bytes);
#if defined(__linux__)
        if (bytes >= hugePage) {
            munmap(p, bytes);
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
