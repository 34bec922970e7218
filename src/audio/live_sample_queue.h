#pragma once
// Samples handed from a live source's reading thread to the station's thread. The queue holds at
// most `capacity` samples; what does not fit is counted as an overrun (never lost unnoticed), so
// a station that falls behind says so instead of blocking the source or growing without end.
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <span>
#include <vector>

namespace orv {

class LiveSampleQueue {
public:
    // `capacity` in samples, at least 1.
    explicit LiveSampleQueue(std::size_t capacity);

    // Appends as many of `samples` as fit and returns how many; the rest is counted as overrun.
    // Never blocks on the reader.
    std::size_t Push(std::span<const float> samples);
    // Appends as many of `samples` as fit and returns how many; the rest is the caller's to offer
    // again (a stream that can wait), not an overrun.
    std::size_t PushSome(std::span<const float> samples);
    // Moves up to out.size() of the oldest samples into `out` and returns how many.
    std::size_t Pop(std::span<float> out);

    struct Overruns {
        std::uint64_t samples = 0;  // samples that did not fit
        std::uint64_t events = 0;   // pushes that lost samples
    };
    // Overruns since the last call (zero when none), then starts counting afresh.
    Overruns TakeOverruns();
    std::uint64_t TotalOverrunSamples() const;

private:
    mutable std::mutex mutex_;
    std::vector<float> ring_;
    std::size_t head_ = 0;  // next sample to pop
    std::size_t size_ = 0;
    Overruns pending_;
    std::uint64_t totalOverrun_ = 0;
};

// Converts raw signed 16-bit little-endian samples to full scale +-1.0. A byte left over at the
// end (a sample split between two datagrams or reads) is kept in `carry` for the next call.
void S16leToFloat(std::span<const std::uint8_t> bytes, std::vector<std::uint8_t>& carry, std::vector<float>& out);

}  // namespace orv
