#pragma once
// Timing of the simulated line. The spacecraft sends a block about every 10.3 s; the modem hands
// it over the serial line at the line's speed, in uneven pieces as a UART and its driver deliver
// them, and stays silent until the next block. The receiver starts a new block only after a
// pause of two whole clock seconds, so the silence between blocks never drops below 2.5 s (the
// extra half second covers a reader that is busy for a moment), while the pieces of one block
// follow each other within 0.5 s. The ADC modem instead sends its samples without a pause, 400 a
// second, in the same uneven pieces.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "sim/sim_options.h"
#include "sim/sim_random.h"

namespace orv::sim {

inline constexpr double kBlockPeriodSeconds = 4128.0 / 400.0;  // 512 bytes and a 32-bit sync at 400 bit/s
inline constexpr double kBlockPauseSeconds = 2.5;              // least silence between two blocks
inline constexpr double kMaxChunkSeconds = 0.5;                // longest a piece of a block takes

inline double LineBytesPerSecond(int baudRate) { return baudRate / 10.0; }  // 8N1: 10 bits a byte

// Bytes a second the modem puts on the line: the sample rate for ADC, the line's speed otherwise.
inline double StreamBytesPerSecond(const SimOptions& options) {
    return options.modem == ModemType::Adc ? kAdcSampleRate : LineBytesPerSecond(options.baudRate);
}

// The least silence between two blocks: none for the ADC modem's continuous samples.
inline double LeastPauseSeconds(const SimOptions& options) {
    return options.modem == ModemType::Adc ? 0.0 : kBlockPauseSeconds;
}

// One piece of a block: bytes [begin, end) of its wire bytes, complete `offset` seconds after
// the block's first byte started.
struct LineChunk {
    std::size_t begin = 0;
    std::size_t end = 0;
    double offset = 0;
};

class SerialLine {
public:
    SerialLine(int baudRate, std::uint64_t seed);
    // The line of a stream with these options (see StreamBytesPerSecond).
    SerialLine(const SimOptions& options, std::uint64_t seed);

    // Splits `bytes` bytes into pieces of uneven length, in order.
    std::vector<LineChunk> Split(std::size_t bytes);


private:
    void SetRate(double bytesPerSecond);

    double bytesPerSecond_ = 0;
    std::size_t maxChunk_ = 1;
    SimRandom random_;
};

// Seconds of wall time for a silence of `simSeconds` at `speed` (>= 1): the part beyond the
// least pause is shortened, the least pause itself never.
inline double WallPause(double simSeconds, double speed, double leastPause = kBlockPauseSeconds) {
    const double beyond = simSeconds > leastPause ? simSeconds - leastPause : 0.0;
    return leastPause + beyond / speed;
}

}  // namespace orv::sim
