#pragma once
// What the simulated spacecraft is doing at one moment: orbit position, the switched activities
// and the counters its telemetry carries.
#include <cstdint>

#include "sim/spacecraft_schedule.h"

namespace orv::sim {

struct SpacecraftCounters {
    int eventPointer = 0;  // number of the newest event in the event buffer, 16 bits
    int commandCount = 0;  // telecommands accepted, 16 bits, shown in the header line
    int leila = 0;         // uplink power limiter actions, 16 bits
};

struct SpacecraftState {
    std::int64_t utc = 0;
    OrbitPosition position;
    bool transponder = false;
    bool gps = false;
    bool magnetorquer = false;
    SpacecraftCounters counters;
};

inline SpacecraftState StateAt(std::int64_t utc, const SpacecraftCounters& counters) {
    SpacecraftState s;
    s.utc = utc;
    s.position = OrbitAt(utc);
    s.transponder = ActiveAt(Activity::Transponder, s.position.ma);
    s.gps = ActiveAt(Activity::Gps, s.position.ma);
    s.magnetorquer = ActiveAt(Activity::Magnetorquer, s.position.ma);
    s.counters = counters;
    return s;
}

}  // namespace orv::sim
