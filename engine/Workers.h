// Worker threads for work shared out among them (the groups of a run, the
// replicates of a bootstrap): each runs the same function, the first
// exception one throws is kept and stops the others, and the calling thread
// waits for what they publish under Lock. The threads are stopped and joined
// when the object goes, however the calling thread leaves.
#pragma once

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <system_error>
#include <thread>
#include <type_traits>
#include <vector>

namespace habitual {

// The threads a caller's setting asks for: the number given, or one per core
// when it is 0 or less.
inline int ThreadCount(int asked) {
    if (asked > 0) return asked;
    return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

class TWorkers {
public:
    TWorkers() = default;
    TWorkers(const TWorkers&) = delete;
    TWorkers& operator=(const TWorkers&) = delete;
    ~TWorkers() { Join(); }

    // Starts up to threads threads, each running work(t) for its number t.
    // Where the system gives fewer, those do the work; none at all throws.
    void Start(int threads, const std::function<void(int)>& work) {
        for (int t = 0; t < threads; ++t) {
            try {
                Threads.emplace_back([this, work, t] {
                    try {
                        work(t);
                    } catch (...) {
                        std::lock_guard<std::mutex> hold(Lock);
                        if (!Failure) Failure = std::current_exception();
                        Stop = true;
                        Changed.notify_all();
                    }
                });
            } catch (const std::system_error&) {
                if (Threads.empty()) throw;
                break;
            }
        }
    }

    // Wakes the calling thread after a worker changed what it waits for
    // (under Lock where the change needs it).
    void Notify() {
        std::lock_guard<std::mutex> hold(Lock);
        Changed.notify_all();
    }

    // Stops the workers at their next look at Stop and waits for them.
    void Join() {
        Stop = true;
        for (std::thread& t : Threads)
            if (t.joinable()) t.join();
        Threads.clear();
    }

    std::atomic<bool> Stop{false};
    std::mutex Lock;
    std::condition_variable Changed;
    std::exception_ptr Failure; // under Lock

private:
    std::vector<std::thread> Threads;
};

// Calls work(i) for every i in [0, n), on up to threads threads (the calling
// thread among them), each taking the next i in turn; returns when all are
// done, rethrowing the first exception one threw. A work that takes a
// second argument is told which thread runs it, from 0 to threads - 1 (the
// calling thread is 0), for room of its own.
template <class Work> void ShareOut(int threads, std::size_t n, const Work& work) {
    std::atomic<std::size_t> next{0};
    auto loop = [&](int thread) {
        for (std::size_t i = next++; i < n; i = next++) {
            if constexpr (std::is_invocable_v<const Work&, std::size_t, int>)
                work(i, thread);
            else
                work(i);
        }
    };
    if (threads <= 1 || n <= 1) {
        loop(0);
        return;
    }
    TWorkers workers;
    workers.Start(threads - 1, [&](int t) { loop(t + 1); });
    try {
        loop(0);
    } catch (...) {
        next = n; // the others stop at their next item
        throw;
    }
    // The workers' loops do not look at Stop: joining waits for their items.
    workers.Join();
    if (workers.Failure) std::rethrow_exception(workers.Failure);
}

} // namespace habitual
