#include "forward/kiss.h"

namespace orv {

void AppendKissFrame(std::vector<std::uint8_t>& out, std::span<const std::uint8_t> payload, unsigned port) {
    out.reserve(out.size() + payload.size() + payload.size() / 8 + 8);
    out.push_back(kKissFend);
    out.push_back(static_cast<std::uint8_t>(((port & 0x0F) << 4) | kKissDataCommand));
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

KissBlockDeframer::KissBlockDeframer(BlockHandler onBlock) : onBlock_(std::move(onBlock)) {
    frame_.reserve(kMaxFrameBytes);
}

void KissBlockDeframer::Reset() {
    frame_.clear();
    frameBytes_ = 0;
    synced_ = escaped_ = damaged_ = false;
}

std::uint64_t KissBlockDeframer::Feed(std::span<const std::uint8_t> chunk) {
    const std::uint64_t skippedBefore = skips_.Total();
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
    return skips_.Total() - skippedBefore;
}

void KissBlockDeframer::EndFrame() {
    // Back-to-back FENDs (a frame's end and the next one's start) make empty frames: nothing.
    if (frameBytes_ > 0) {
        const std::size_t payloadBytes = frameBytes_ - 1;
        if (damaged_ || escaped_) {
            ++skips_.damaged;
        } else if ((frame_[0] & 0x0F) != kKissDataCommand) {
            ++skips_.otherCommands;
        } else if (payloadBytes == 512 || payloadBytes == 514) {
            ++blocks_;
            onBlock_(std::span<const std::uint8_t>(frame_).subspan(1));
        } else {
            ++skips_.wrongSize;
            skips_.lastWrongSize = payloadBytes;
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
        add(count(skips.wrongSize, " of a size other than 512 or 514 bytes (the last " +
                                       std::to_string(skips.lastWrongSize) + " bytes)"));
    if (skips.otherCommands) add(count(skips.otherCommands, " not data"));
    if (skips.damaged) add(count(skips.damaged, " with a broken escape"));
    return "KISS input: skipped " + parts;
}

}  // namespace orv
