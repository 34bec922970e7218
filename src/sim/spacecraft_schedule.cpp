#include "sim/spacecraft_schedule.h"

#include <algorithm>
#include <cmath>

namespace orv::sim {

OrbitPosition OrbitAt(std::int64_t utc) {
    const double phase = static_cast<double>(utc - kLaunchUtc) / kOrbitSeconds;
    const double whole = std::floor(phase);
    OrbitPosition p;
    p.orbit = static_cast<std::int64_t>(whole);
    p.ma = std::clamp(static_cast<int>((phase - whole) * 256.0), 0, 255);
    return p;
}

std::int64_t UtcOfMa(std::int64_t orbit, int ma) {
    return kLaunchUtc + static_cast<std::int64_t>(std::ceil((static_cast<double>(orbit) + ma / 256.0) * kOrbitSeconds));
}

const std::array<ScheduleEntry, 3>& Schedule() {
    static const std::array<ScheduleEntry, 3> kEntries{{
        {Activity::Transponder, 30, 219, "U/L1 UPLINKS TO S2 DOWNLINK", "TRANSPONDER U/L1 TO S2 ON",
         "TRANSPONDER OFF, BEACON ONLY"},
        {Activity::Gps, 240, 11, "GPS EXPERIMENT", "GPS EXPERIMENT ON", "GPS EXPERIMENT OFF"},
        {Activity::Magnetorquer, 248, 7, "MAGNETORQUER (SPIN AXIS TRIM)", "MAGNETORQUER SEQUENCE START",
         "MAGNETORQUER SEQUENCE COMPLETE"},
    }};
    return kEntries;
}

bool ActiveAt(Activity activity, int ma) {
    for (const auto& e : Schedule()) {
        if (e.activity != activity) continue;
        return e.fromMa <= e.toMa ? (ma >= e.fromMa && ma <= e.toMa) : (ma >= e.fromMa || ma <= e.toMa);
    }
    return false;
}

std::vector<ScheduledEvent> ScheduledEventsBetween(std::int64_t from, std::int64_t to) {
    std::vector<ScheduledEvent> events;
    if (to <= from) return events;
    for (std::int64_t orbit = OrbitAt(from).orbit; orbit <= OrbitAt(to).orbit; ++orbit) {
        std::vector<ScheduledEvent> inOrbit;
        inOrbit.push_back({UtcOfMa(orbit, 0), "PERIGEE, ORBIT " + std::to_string(OrbitNumber16(orbit)) + " BEGINS"});
        for (const auto& e : Schedule()) {
            inOrbit.push_back({UtcOfMa(orbit, e.fromMa), e.onEvent});
            inOrbit.push_back({UtcOfMa(orbit, (e.toMa + 1) % 256), e.offEvent});
        }
        std::stable_sort(inOrbit.begin(), inOrbit.end(), [](const auto& a, const auto& b) { return a.utc < b.utc; });
        for (auto& e : inOrbit)
            if (e.utc > from && e.utc <= to) events.push_back(std::move(e));
    }
    return events;
}

}  // namespace orv::sim
