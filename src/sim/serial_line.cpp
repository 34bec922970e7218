#include "sim/serial_line.h"

#include <algorithm>

namespace orv::sim {

SerialLine::SerialLine(int baudRate, std::uint64_t seed) : random_(seed) { SetRate(LineBytesPerSecond(baudRate)); }

SerialLine::SerialLine(const SimOptions& options, std::uint64_t seed) : random_(seed) {
    SetRate(StreamBytesPerSecond(options));
}

void SerialLine::SetRate(double bytesPerSecond) {
    bytesPerSecond_ = bytesPerSecond;
    maxChunk_ = std::clamp<std::size_t>(static_cast<std::size_t>(kMaxChunkSeconds * bytesPerSecond), 1, 64);
}

std::vector<LineChunk> SerialLine::Split(std::size_t bytes) {
    std::vector<LineChunk> chunks;
    std::size_t at = 0;
    while (at < bytes) {
        // Mostly short reads, now and then a longer one.
        const std::size_t limit = random_.Chance(0.25) ? maxChunk_ : std::min<std::size_t>(16, maxChunk_);
        const std::size_t n = std::min(bytes - at, std::size_t{1} + random_.Below(static_cast<std::uint32_t>(limit)));
        chunks.push_back({at, at + n, static_cast<double>(at + n) / bytesPerSecond_});
        at += n;
    }
    return chunks;
}

}  // namespace orv::sim
