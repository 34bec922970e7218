#include "reception/clock.h"

#include <chrono>
#include <ctime>

namespace orv {

std::int64_t SystemClock::Now() const {
    using namespace std::chrono;
    return duration_cast<seconds>(system_clock::now().time_since_epoch()).count();
}

std::int64_t SystemClock::NowMilliseconds() const {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

std::int64_t SystemClock::LocalOffsetSeconds(std::int64_t t) const {
    const std::time_t tt = static_cast<std::time_t>(t);
    std::tm local{};
    std::tm utc{};
#if defined(_WIN32)
    localtime_s(&local, &tt);
    gmtime_s(&utc, &tt);
#else
    localtime_r(&tt, &local);
    gmtime_r(&tt, &utc);
#endif
    // Difference of the two broken-down forms, each read as if it were UTC.
    auto asSeconds = [](const std::tm& tm) {
        using namespace std::chrono;
        const auto days = sys_days{year{tm.tm_year + 1900} / month{static_cast<unsigned>(tm.tm_mon + 1)} /
                                   day{static_cast<unsigned>(tm.tm_mday)}};
        return static_cast<std::int64_t>(days.time_since_epoch().count()) * 86400 + tm.tm_hour * 3600 +
               tm.tm_min * 60 + tm.tm_sec;
    };
    return asSeconds(local) - asSeconds(utc);
}

}  // namespace orv
