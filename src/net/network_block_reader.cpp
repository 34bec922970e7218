#include "net/network_block_reader.h"

#include "net/wire.h"

namespace orv {

bool NetworkBlockReader::RingHoldsMarker() const {
    // Oldest byte first: the one after the byte just written.
    for (std::size_t k = 0; k < kMarkerBytes; ++k) {
        if (ring_[(ringIndex_ + 1 + k) & 7] != kNetworkSyncMarker[k]) return false;
    }
    return true;
}

void NetworkBlockReader::Read(std::span<const std::uint8_t> bytes) {
    const bool realTimeRead = bytes.size() <= kRealTimeReadLimit;
    // The captured bytes of one read are contiguous: [runStart, i] while capturing.
    std::size_t runStart = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        ring_[ringIndex_] = bytes[i];
        if (capturing_) {
            ++count_;
            if (count_ == kCaptureBytes - 1 && serverRealTime_ != realTimeRead) {
                serverRealTime_ = realTimeRead;
                sink_.ServerModeLearned(serverRealTime_);
            }
            if (count_ == kCaptureBytes) {
                capturing_ = false;
                sink_.ReceiveBlockBytes(bytes.subspan(runStart, i + 1 - runStart));
            }
        } else {
            if (RingHoldsMarker()) {
                capturing_ = true;
                runStart = i + 1;
                sink_.SignalNetworkNewBlock();
            }
            count_ = 0;
        }
        ringIndex_ = (ringIndex_ + 1) & 7;
    }
    if (capturing_ && runStart < bytes.size()) sink_.ReceiveBlockBytes(bytes.subspan(runStart));
}

void NetworkBlockReader::Reset() {
    ring_.fill(0);
    ringIndex_ = 0;
    capturing_ = false;
    count_ = 0;
}

}  // namespace orv
