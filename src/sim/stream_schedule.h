#pragma once
// When each piece of the stream goes on the line, in wall-clock seconds from the start, at a
// chosen speed: speed X shortens the pieces' pacing and the silence beyond the least pause X
// times, never the least pause (see serial_line.h).
#include <vector>

#include "sim/serial_line.h"
#include "sim/telemetry_generator.h"

namespace orv::sim {

struct TimedChunk {
    std::size_t begin = 0;  // bytes [begin, end) of the block's wire bytes
    std::size_t end = 0;
    double wallTime = 0;    // seconds from the start of the stream
};

struct ScheduledBlock {
    SimBlock block;
    std::vector<TimedChunk> chunks;
};

class StreamSchedule {
public:
    // speed >= 1; 1 is real time.
    StreamSchedule(TelemetryGenerator& generator, SerialLine& line, double speed)
        : generator_(generator), line_(line), speed_(speed) {}

    ScheduledBlock Next();
    // The least silence the pacing keeps before a block (LeastPauseSeconds).
    double LeastPause() const { return LeastPauseSeconds(generator_.Options()); }
    // What the modem sends after the last block (TelemetryGenerator::Closing).
    std::vector<std::uint8_t> Closing() { return generator_.Closing(); }

private:
    TelemetryGenerator& generator_;
    SerialLine& line_;
    double speed_;
    double wallStart_ = 0;
};

// A generator, its serial line and their schedule, made from one set of options.
class PacedStream {
public:
    PacedStream(const SimOptions& options, double speed)
        : generator_(options), line_(options, SubSeed(options.seed, 20)), schedule_(generator_, line_, speed) {}
    StreamSchedule& Schedule() { return schedule_; }

private:
    TelemetryGenerator generator_;
    SerialLine line_;
    StreamSchedule schedule_;
};

}  // namespace orv::sim
