#pragma once
// The simulated spacecraft's orbit and operating schedule: orbit number and mean anomaly (MA,
// 0..255 per orbit) follow from the UTC time; what is switched on follows from the MA.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace orv::sim {

inline constexpr std::int64_t kLaunchUtc = 974336820;  // 2000-11-16 01:07:00 UTC, orbit 0 starts
inline constexpr double kOrbitSeconds = 69000.0;       // a highly elliptical orbit of about 19 hours

struct OrbitPosition {
    std::int64_t orbit = 0;  // orbits since launch (the telemetry carries it modulo 65536)
    int ma = 0;              // mean anomaly 0..255, 0 at perigee
};

OrbitPosition OrbitAt(std::int64_t utc);

// The orbit number as the telemetry carries it: 16 bits.
inline int OrbitNumber16(std::int64_t orbit) { return static_cast<int>(orbit & 0xFFFF); }

// UTC of the moment orbit `orbit` reaches mean anomaly `ma`.
std::int64_t UtcOfMa(std::int64_t orbit, int ma);

enum class Activity { Transponder, Gps, Magnetorquer };

// A switched activity and the MA range (inclusive, may wrap through perigee) it is on.
struct ScheduleEntry {
    Activity activity;
    int fromMa;
    int toMa;
    const char* what;      // for the schedule text block
    const char* onEvent;   // event text when it starts
    const char* offEvent;  // event text when it stops
};

const std::array<ScheduleEntry, 3>& Schedule();

bool ActiveAt(Activity activity, int ma);

// A change of state the spacecraft records in its event buffer.
struct ScheduledEvent {
    std::int64_t utc = 0;
    std::string text;
};

// Every scheduled change (switching and the perigee passes) with from < utc <= to, in order.
std::vector<ScheduledEvent> ScheduledEventsBetween(std::int64_t from, std::int64_t to);

}  // namespace orv::sim
