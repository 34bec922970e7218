#pragma once
// When to try again after a failure: the wait doubles with each failure in a row, from the first
// delay up to the longest, and starts over after a success. Times are whole seconds of an
// injected clock, so the schedule is tested without waiting.
#include <cstdint>

namespace orv {

class RetryBackoff {
public:
    // Waits in seconds: first, 2 x first, 4 x first, ... never more than longest.
    explicit RetryBackoff(std::int64_t firstSeconds = 10, std::int64_t longestSeconds = 1800)
        : first_(firstSeconds), longest_(longestSeconds) {}

    // A failure at `now`: the next attempt is due after the current wait. Returns that time.
    std::int64_t Failed(std::int64_t now);
    void Succeeded() {
        failures_ = 0;
        dueAt_ = 0;
    }
    // An attempt may start at `now`.
    bool Due(std::int64_t now) const { return now >= dueAt_; }
    int FailuresInARow() const { return failures_; }

private:
    std::int64_t first_;
    std::int64_t longest_;
    int failures_ = 0;
    std::int64_t dueAt_ = 0;
};

}  // namespace orv
