// Worker threads for work shared out among them (the groups of a run, the
// replicates of a bootstrap): each runs the same function, the first
// exception one throws is kept and stops the others, and the calling thread
// waits for what they publish under Lock. The threads are stopped and joined
// when the object goes, however the calling thread leaves.
#pragma once

#include <atomic>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace habitual {

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

} // namespace habitual
