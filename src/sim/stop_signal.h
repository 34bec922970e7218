#pragma once
// A stop request that a feeding loop can sleep on: Request() from another thread wakes it at
// once; a signal handler may only set Flag(), which the sleeper notices within 100 ms.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace orv::sim {

class StopSignal {
public:
    void Request() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            flag_.store(true);
        }
        wake_.notify_all();
    }
    bool Requested() const { return flag_.load(); }
    std::atomic<bool>& Flag() { return flag_; }

    // Sleeps until `deadline`; false when a stop was requested first.
    bool WaitUntil(std::chrono::steady_clock::time_point deadline) {
        std::unique_lock<std::mutex> lock(mutex_);
        while (!flag_.load()) {
            const auto now = std::chrono::steady_clock::now();
            if (now >= deadline) return true;
            wake_.wait_until(lock, std::min(deadline, now + std::chrono::milliseconds(100)));
        }
        return false;
    }

private:
    std::atomic<bool> flag_{false};
    std::mutex mutex_;
    std::condition_variable wake_;
};

}  // namespace orv::sim
