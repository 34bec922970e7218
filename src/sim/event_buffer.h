#pragma once
// The spacecraft's event buffer: the newest events with their numbers, times and the counters of
// the moment. E blocks carry them in turn, oldest first; the A blocks' event pointer names the newest.
#include <cstdint>
#include <deque>
#include <string>

#include "sim/spacecraft_state.h"

namespace orv::sim {

struct SpacecraftEvent {
    int number = 0;  // 16 bits
    std::int64_t utc = 0;
    std::string text;
    SpacecraftCounters counters;  // as they were just after the event (event pointer = number)
};

class EventBuffer {
public:
    static constexpr std::size_t kSize = 16;

    // Fills the buffer with the scheduled events of the orbits before `startUtc`, the newest
    // the newest numbered counters.eventPointer, as a spacecraft running for years would hold them.
    EventBuffer(std::int64_t startUtc, const SpacecraftCounters& counters);

    // Records a new event; counters.eventPointer becomes its number.
    void Record(std::int64_t utc, std::string text, SpacecraftCounters& counters);

    // The event the next E block carries.
    const SpacecraftEvent& NextToSend();

    const std::deque<SpacecraftEvent>& Events() const { return events_; }

private:
    std::deque<SpacecraftEvent> events_;
    std::size_t sendIndex_ = 0;
};

}  // namespace orv::sim
