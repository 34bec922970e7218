#pragma once
// Bytes handed to a station as its serial port would hand them: in reads of a given size, with
// the station's clock moved on as the line would move it.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

#include "pty.h"
#include "reception/clock.h"
#include "station/station.h"

namespace orv::test {

// One block after a pause of 3 seconds (which starts a new block), in reads of `chunk` bytes
// (at least 1).
inline void FeedBlock(Station& station, ManualClock& clock, std::span<const std::uint8_t> block, std::size_t chunk) {
    clock.Advance(3);
    for (std::size_t at = 0; at < block.size(); at += chunk)
        station.SerialBytes(block.subspan(at, std::min(chunk, block.size() - at)));
}

// Raw ADC samples in reads of 400 bytes, the clock `secondsPerRead` further at each read (1: the
// real sample rate; 0: a batch faster than real time, where the receiver's pause rule never
// starts a block).
inline void FeedAdcSamples(Station& station, ManualClock& clock, std::span<const std::uint8_t> samples,
                           int secondsPerRead = 1) {
    constexpr std::size_t kRead = 400;
    for (std::size_t at = 0; at < samples.size(); at += kRead) {
        clock.Advance(secondsPerRead);
        station.SerialBytes(samples.subspan(at, std::min(kRead, samples.size() - at)));
    }
}

// The station's modem on a pseudo-terminal, so that choosing "Raw" or "K".."N" opens a real port
// as the operator's choice does; the test then hands the station bytes as that port would.
class PseudoTerminalModem {
public:
    explicit PseudoTerminalModem(Station& station) : station_(station) {
        station_.SetSerialOverride(QString::fromStdString(pty_.SlavePath()));
    }
    // The operator's selection; false when the port did not open.
    bool Select(TextSelection selection) { return !station_.SelectText(selection).portFailed; }

private:
    Station& station_;
    PtyPair pty_;
};

}  // namespace orv::test
