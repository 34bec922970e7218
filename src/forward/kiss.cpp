#include "forward/kiss.h"

namespace orv {
namespace {

// 9999-12-31 23:59:59.999 UTC: a later timestamp is no reception time.
constexpr std::uint64_t kLastTimestamp = 253402300799999ULL;

}  // namespace

void AppendKissFrame(std::vector<std::uint8_t>& out, std::span<const std::uint8_t> payload, unsigned port,
                     std::uint8_t command) {
    out.reserve(out.size() + payload.size() + payload.size() / 8 + 8);
    out.push_back(kKissFend);
    out.push_back(static_cast<std::uint8_t>(((port & 0x0F) << 4) | (command & 0x0F)));
    for (const std::uint8_t b : payload) {
        if (b == kKissFend) {
            out.push_back(kKissFesc);
            out.push_back(kKissTfend);
        } else if (b == kKissFesc) {
            out.push_back(kKissFesc);
            out.push_back(kKissTfesc);
        } else {
            out.push_back(b);
        }
    }
    out.push_back(kKissFend);
}

void AppendKissTimestamp(std::vector<std::uint8_t>& out, std::int64_t utcMilliseconds) {
    std::uint8_t bytes[kKissTimestampBytes];
    const auto value = static_cast<std::uint64_t>(utcMilliseconds);
    for (std::size_t i = 0; i < kKissTimestampBytes; ++i)
        bytes[i] = static_cast<std::uint8_t>(value >> (8 * (kKissTimestampBytes - 1 - i)));
    AppendKissFrame(out, bytes, 0, kKissTimestampCommand);
}

std::span<const std::uint8_t> TransmittedFrame(const ReceivedBlock& block) {
    if (block.fecData) return *block.fecData;
    return block.bytes;
}

bool AppendKissBlock(std::vector<std::uint8_t>& out, const ReceivedBlock& block, const KissOutOptions& options) {
    if (options.goodOnly && block.verdict == CrccVerdict::Fail) return false;
    if (options.timestamps) AppendKissTimestamp(out, block.utcMilliseconds);
    AppendKissFrame(out, TransmittedFrame(block));
    return true;
}

KissBlockDeframer::KissBlockDeframer(DataHandler onData) : onData_(std::move(onData)) {
    frame_.reserve(kMaxFrameBytes);
}

void KissBlockDeframer::Reset() {
    frame_.clear();
    frameBytes_ = 0;
    synced_ = escaped_ = damaged_ = false;
    time_.reset();
}

std::uint64_t KissBlockDeframer::Feed(std::span<const std::uint8_t> chunk) {
    const std::uint64_t faultsBefore = skips_.Faults();
    for (const std::uint8_t b : chunk) {
        if (b == kKissFend) {
            if (synced_) EndFrame();
            synced_ = true;
            continue;
        }
        if (!synced_) continue;
        std::uint8_t data = b;
        if (escaped_) {
            escaped_ = false;
            if (b == kKissTfend) {
                data = kKissFend;
            } else if (b == kKissTfesc) {
                data = kKissFesc;
            } else {
                damaged_ = true;
            }
        } else if (b == kKissFesc) {
            escaped_ = true;
            continue;
        }
        if (frame_.size() < kMaxFrameBytes) frame_.push_back(data);
        ++frameBytes_;
    }
    return skips_.Faults() - faultsBefore;
}

void KissBlockDeframer::EndFrame() {
    // Back-to-back FENDs (a frame's end and the next one's start) make empty frames: nothing.
    if (frameBytes_ > 0) {
        const std::size_t payloadBytes = frameBytes_ - 1;
        const std::span<const std::uint8_t> payload = std::span<const std::uint8_t>(frame_).subspan(1);
        const std::uint8_t command = frame_[0] & 0x0F;
        if (damaged_ || escaped_) {
            ++skips_.damaged;
            time_.reset();
        } else if (command == kKissTimestampCommand) {
            std::uint64_t value = 0;
            for (std::size_t i = 0; i < payloadBytes && i < kKissTimestampBytes; ++i) value = value << 8 | payload[i];
            if (payloadBytes == kKissTimestampBytes && value <= kLastTimestamp) {
                ++timestamps_;
                time_ = static_cast<std::int64_t>(value);
            } else {
                ++skips_.badTimestamps;
                time_.reset();
            }
        } else if (command != kKissDataCommand) {
            ++skips_.otherCommands;
        } else {
            const std::optional<std::int64_t> time = time_;
            time_.reset();
            if (payloadBytes == kFecDataBytes || payloadBytes == kTelemetryBytes || payloadBytes == kFullBlockBytes) {
                ++blocks_;
                onData_({payload, time});
            } else {
                ++skips_.wrongSize;
                skips_.lastWrongSize = payloadBytes;
            }
        }
    }
    frame_.clear();
    frameBytes_ = 0;
    escaped_ = damaged_ = false;
}

std::string KissSkipsText(const KissSkips& skips) {
    if (skips.Total() == 0) return {};
    const auto count = [](std::uint64_t n, const std::string& what) {
        return std::to_string(n) + " frame" + (n == 1 ? "" : "s") + what;
    };
    std::string parts;
    const auto add = [&](const std::string& part) { parts += (parts.empty() ? "" : "; ") + part; };
    if (skips.wrongSize)
        add(count(skips.wrongSize, " of a size other than 256, 512 or 514 bytes (the last " +
                                       std::to_string(skips.lastWrongSize) + " bytes)"));
    if (skips.otherCommands) add(count(skips.otherCommands, " neither data nor a timestamp"));
    if (skips.badTimestamps) add(count(skips.badTimestamps, " with a timestamp that is not 8 bytes of milliseconds"));
    if (skips.damaged) add(count(skips.damaged, " with a broken escape"));
    return "KISS input: skipped " + parts;
}

}  // namespace orv
