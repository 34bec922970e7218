#pragma once
// Feeds raw ADC samples to a station as its serial port would: reads of 400 bytes, the station's
// clock `secondsPerRead` further at each read (1: the real sample rate; 0: a batch faster than
// real time, where the receiver's pause rule never starts a block).
#include <algorithm>
#include <cstdint>
#include <span>

#include "station/station.h"
#include "reception/clock.h"

namespace orv::test {

inline void FeedAdcSamples(Station& runtime, ManualClock& clock, std::span<const std::uint8_t> samples,
                           int secondsPerRead = 1) {
    constexpr std::size_t kRead = 400;
    for (std::size_t at = 0; at < samples.size(); at += kRead) {
        clock.Advance(secondsPerRead);
        runtime.SerialBytes(samples.subspan(at, std::min(kRead, samples.size() - at)));
    }
}

}  // namespace orv::test
