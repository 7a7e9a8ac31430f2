// A few worker threads kept for a whole search: each round runs one task on every member, the
// calling thread being member 0, and returns when all are done.
#pragma once

#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace nudgeboard::solver {

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
        count_ = count;
        {
            std::lock_guard lock(mutex_);
            task_ = &task;
            busy_ = size_ - 1;
            failure_ = nullptr;
            ++round_;
        }
        start_.notify_all();
        std::exception_ptr own;
        try {
            for (int i = 0; i < count; i += size_)
                task(i);
        } catch (...) {
            own = std::current_exception();
        }
        std::unique_lock lock(mutex_);
        done_.wait(lock, [this] { return busy_ == 0; });
        task_ = nullptr;
        if (own)
            std::rethrow_exception(own);
        if (failure_)
            std::rethrow_exception(failure_);
    }

private:
    void serve(int t) {
        unsigned long seen = 0;
        for (;;) {
            const std::function<void(int)>* task = nullptr;
            {
                std::unique_lock lock(mutex_);
                start_.wait(lock, [&] { return stopping_ || round_ != seen; });
                if (stopping_)
                    return;
                seen = round_;
                task = task_;
            }
            std::exception_ptr failure;
            try {
                for (int i = t; i < count_; i += size_)
                    (*task)(i);
            } catch (...) {
                failure = std::current_exception();
            }
            std::lock_guard lock(mutex_);
            if (failure && !failure_)
                failure_ = failure;
            if (--busy_ == 0)
                done_.notify_one();
        }
    }

    int size_;
    std::vector<std::thread> threads_;
    std::mutex mutex_;
    std::condition_variable start_, done_;
    const std::function<void(int)>* task_ = nullptr;
    unsigned long round_ = 0;
    int busy_ = 0;
    int count_ = 0;
    bool stopping_ = false;
    std::exception_ptr failure_;
};

} // namespace nudgeboard::solver
