// A few worker threads kept for a whole search: each round runs one task on every member, the
// calling thread being member 0, and returns when all are done.
#pragma once

#include <atomic>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace nudgeboard::solver {

// One member per core the machine reports, `most` at most, one if it reports none.
inline int workersForMachine(int most = 8) {
    auto cores = static_cast<int>(std::thread::hardware_concurrency());
    return cores < 1 ? 1 : cores < most ? cores : most;
}

class Crew {
public:
    // Fewer members if the system will not start more threads.
    explicit Crew(int size) : size_(size < 1 ? 1 : size) {
        for (int t = 1; t < size_; ++t) {
            try {
                threads_.emplace_back([this, t] { serve(t); });
            } catch (const std::system_error&) {
                size_ = t;
                break;
            }
        }
    }
    ~Crew() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        start_.notify_all();
        for (std::thread& t : threads_)
            t.join();
    }
    Crew(const Crew&) = delete;
    Crew& operator=(const Crew&) = delete;

    int size() const { return size_; }

    // task(i) for every i in 0..count-1, member m taking m, m + size, ...; the first exception
    // any of them threw is thrown here.
    void run(int count, const std::function<void(int)>& task) {
        if (count <= 1 || size_ == 1) {
            for (int i = 0; i < count; ++i)
                task(i);
            return;
        }
        task_ = &task;
        count_ = count;
        failure_ = nullptr;
        busy_.store(size_ - 1);
        {
            std::lock_guard lock(mutex_);
            round_.fetch_add(1);
        }
        start_.notify_all();
        std::exception_ptr own;
        try {
            for (int i = 0; i < count; i += size_)
                task(i);
        } catch (...) {
            own = std::current_exception();
        }
        awhile([this] { return busy_.load() == 0; });
        if (busy_.load() != 0) {
            std::unique_lock lock(mutex_);
            done_.wait(lock, [this] { return busy_.load() == 0; });
        }
        task_ = nullptr;
        if (own)
            std::rethrow_exception(own);
        if (failure_)
            std::rethrow_exception(failure_);
    }

private:
    // Rounds come a few hundred microseconds apart while a search runs, and waking a sleeping
    // thread takes about as long: a member waits for the next round, and the caller for the
    // members, by yielding a while before it sleeps.
    template <class Ready> static void awhile(Ready&& ready) {
        for (int i = 0; i < 4096 && !ready(); ++i)
            std::this_thread::yield();
    }

    void serve(int t) {
        unsigned long seen = 0;
        for (;;) {
            awhile([&] { return stopping_.load() || round_.load() != seen; });
            {
                std::unique_lock lock(mutex_);
                start_.wait(lock, [&] { return stopping_.load() || round_.load() != seen; });
                if (stopping_)
                    return;
                seen = round_.load();
            }
            const std::function<void(int)>* task = task_;
            std::exception_ptr failure;
            try {
                for (int i = t; i < count_; i += size_)
                    (*task)(i);
            } catch (...) {
                failure = std::current_exception();
            }
            if (failure) {
                std::lock_guard lock(mutex_);
                if (!failure_)
                    failure_ = failure;
            }
            if (busy_.fetch_sub(1) == 1) {
                std::lock_guard lock(mutex_); // the caller may be about to sleep
                done_.notify_one();
            }
        }
    }

    int size_;
    std::vector<std::thread> threads_;
    std::mutex mutex_;
    std::condition_variable start_, done_;
    // Written by the caller before a round starts, read by the members during it.
    const std::function<void(int)>* task_ = nullptr;
    int count_ = 0;
    std::exception_ptr failure_; // the first a member threw, written under the mutex
    std::atomic<unsigned long> round_{0};
    std::atomic<int> busy_{0}; // members still at work in this round
    std::atomic<bool> stopping_{false};
};

} // namespace nudgeboard::solver
