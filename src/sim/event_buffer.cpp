#include "sim/event_buffer.h"

namespace orv::sim {

EventBuffer::EventBuffer(std::int64_t startUtc, const SpacecraftCounters& counters) {
    // Three orbits hold more scheduled changes than the buffer keeps.
    auto past = ScheduledEventsBetween(startUtc - static_cast<std::int64_t>(3 * kOrbitSeconds), startUtc);
    if (past.size() > kSize) past.erase(past.begin(), past.end() - static_cast<long>(kSize));
    int number = counters.eventPointer - static_cast<int>(past.size()) + 1;
    for (auto& e : past) {
        SpacecraftEvent event{number & 0xFFFF, e.utc, std::move(e.text), counters};
        event.counters.eventPointer = event.number;
        events_.push_back(std::move(event));
        ++number;
    }
}

void EventBuffer::Record(std::int64_t utc, std::string text, SpacecraftCounters& counters) {
    counters.eventPointer = (counters.eventPointer + 1) & 0xFFFF;
    events_.push_back({counters.eventPointer, utc, std::move(text), counters});
    if (events_.size() > kSize) {
        events_.pop_front();
        if (sendIndex_ > 0) --sendIndex_;
    }
}

const SpacecraftEvent& EventBuffer::NextToSend() {
    if (sendIndex_ >= events_.size()) sendIndex_ = 0;
    return events_[sendIndex_++];
}

}  // namespace orv::sim
