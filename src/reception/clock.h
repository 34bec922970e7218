#pragma once
// The wall clock, injected so that the receiver, the timer and the log names can be tested.
#include <cstdint>

namespace orv {

class Clock {
public:
    virtual ~Clock() = default;
    // Calendar time in whole seconds since 1970-01-01 00:00:00 UTC.
    virtual std::int64_t Now() const = 0;
    // Calendar time in milliseconds since 1970-01-01 00:00:00 UTC; a clock without a finer
    // resolution gives its whole seconds.
    virtual std::int64_t NowMilliseconds() const { return Now() * 1000; }
    // Offset of the local time zone from UTC at time t, in seconds (local = UTC + offset).
    virtual std::int64_t LocalOffsetSeconds(std::int64_t t) const = 0;
};

// The operating system's clock and time zone.
class SystemClock final : public Clock {
public:
    std::int64_t Now() const override;
    std::int64_t NowMilliseconds() const override;
    std::int64_t LocalOffsetSeconds(std::int64_t t) const override;
};

// A clock that stands still until it is moved; for tests and batch feeds.
class ManualClock final : public Clock {
public:
    explicit ManualClock(std::int64_t now = 0, std::int64_t offset = 0) : now_(now), offset_(offset) {}
    std::int64_t Now() const override { return now_; }
    std::int64_t LocalOffsetSeconds(std::int64_t) const override { return offset_; }
    void Set(std::int64_t now) { now_ = now; }
    void Advance(std::int64_t seconds) { now_ += seconds; }

private:
    std::int64_t now_;
    std::int64_t offset_;
};

}  // namespace orv
