#pragma once
// Sends a simulated stream into a sink: paced like the serial line, or back to back.
#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "sim/byte_sink.h"
#include "sim/stop_signal.h"
#include "sim/stream_schedule.h"

namespace orv::sim {

struct StreamReport {
    std::int64_t blocks = 0;         // blocks written whole
    std::int64_t damaged = 0;        // of which damaged on the line
    std::int64_t fecFrames = 0;      // of which sent as FEC frames (ADC modem)
    std::array<std::int64_t, 128> perKind{};  // by block ID
    bool stopped = false;            // ended by a stop request
    std::string error;               // set when the sink failed

    void Count(const SimBlock& block);
    // "25 blocks (A 17, D 1, E 2, K 2, L 1, M 1, N 1), 1 damaged"; from the ADC modem
    // "..., 17 as FEC frames"
    std::string Summary() const;
};

using BlockObserver = std::function<void(const SimBlock&)>;

// Writes each piece at its wall time until `limit` blocks are sent (0: no limit), a stop is
// requested or the sink fails. `sent` is called after each whole block. After the last of `limit`
// blocks the modem's closing bytes follow (TelemetryGenerator::Closing), in both functions.
StreamReport PaceStream(StreamSchedule& schedule, ByteSink& sink, std::int64_t limit, StopSignal& stop,
                        const BlockObserver& sent = {});

// Writes `limit` blocks back to back, without pauses.
StreamReport WriteStream(TelemetryGenerator& generator, ByteSink& sink, std::int64_t limit, StopSignal& stop,
                         const BlockObserver& sent = {});

}  // namespace orv::sim
