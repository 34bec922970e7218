#include "audio/live_sample_queue.h"

#include <algorithm>

namespace orv {

LiveSampleQueue::LiveSampleQueue(std::size_t capacity) : ring_(std::max<std::size_t>(capacity, 1)) {}

std::size_t LiveSampleQueue::PushSome(std::span<const float> samples) {
    std::lock_guard lock(mutex_);
    const std::size_t n = std::min(ring_.size() - size_, samples.size());
    for (std::size_t i = 0; i < n; ++i) ring_[(head_ + size_ + i) % ring_.size()] = samples[i];
    size_ += n;
    return n;
}

std::size_t LiveSampleQueue::Push(std::span<const float> samples) {
    const std::size_t n = PushSome(samples);
    std::lock_guard lock(mutex_);
    if (n < samples.size()) {
        pending_.samples += samples.size() - n;
        ++pending_.events;
        totalOverrun_ += samples.size() - n;
    }
    return n;
}

std::size_t LiveSampleQueue::Pop(std::span<float> out) {
    std::lock_guard lock(mutex_);
    const std::size_t n = std::min(out.size(), size_);
    for (std::size_t i = 0; i < n; ++i) out[i] = ring_[(head_ + i) % ring_.size()];
    head_ = (head_ + n) % ring_.size();
    size_ -= n;
    return n;
}

LiveSampleQueue::Overruns LiveSampleQueue::TakeOverruns() {
    std::lock_guard lock(mutex_);
    const Overruns taken = pending_;
    pending_ = {};
    return taken;
}

std::uint64_t LiveSampleQueue::TotalOverrunSamples() const {
    std::lock_guard lock(mutex_);
    return totalOverrun_;
}

void S16leToFloat(std::span<const std::uint8_t> bytes, std::vector<std::uint8_t>& carry, std::vector<float>& out) {
    auto sample = [](std::uint8_t lo, std::uint8_t hi) {
        return static_cast<float>(static_cast<std::int16_t>(static_cast<std::uint16_t>(lo | (hi << 8)))) / 32768.0f;
    };
    std::size_t at = 0;
    if (!carry.empty() && !bytes.empty()) {
        out.push_back(sample(carry.front(), bytes[0]));
        carry.clear();
        at = 1;
    }
    for (; at + 1 < bytes.size(); at += 2) out.push_back(sample(bytes[at], bytes[at + 1]));
    if (at < bytes.size()) carry.push_back(bytes[at]);
}

}  // namespace orv
