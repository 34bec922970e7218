#include "reception/dates.h"

#include <chrono>
#include <cmath>
#include <cstdio>

namespace orv {
namespace {

constexpr const char* kMonths = "JanFebMarAprMayJunJulAugSepOctNovDec";
constexpr const char* kWeekdays = "SunMonTueWedThuFriSat";

std::string MonthName(int m) { return std::string(kMonths + 3 * (m - 1), 3); }
std::string WeekdayName(int w) { return std::string(kWeekdays + 3 * w, 3); }

}  // namespace

int DayNumber(int y, int m, int d) {
    if (m <= 2) {
        y -= 1;
        m += 12;
    }
    // The factors are applied in extended precision and truncated toward zero.
    return static_cast<int>(std::trunc(365.25L * y)) + static_cast<int>(std::trunc(30.6L * (m + 1))) + d - 428;
}

std::string DateText(int n) {
    const long double x = n + 428;
    const int w = ((n + 433) % 7 + 7) % 7;
    int y = static_cast<int>(std::trunc((x - 122.1L) / 365.25L));
    const int c = static_cast<int>(std::trunc(x - std::floor(y * 365.25L)));
    int m = static_cast<int>(std::trunc(c / 30.61L));
    const int d = static_cast<int>(std::trunc(c - std::floor(m * 30.6L)));
    m -= 1;
    if (m > 12) {
        m -= 12;
        y += 1;
    }
    if (m < 1 || m > 12) return "error";
    char buf[40];
    std::snprintf(buf, sizeof buf, "%d %s %02d [%s]", y, MonthName(m).c_str(), d, WeekdayName(w).c_str());
    return buf;
}

std::string ClockText(const DateTime& t, bool utc) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d %s %2d [%s]  %02d:%02d:%02d%s", t.year, MonthName(t.month).c_str(), t.day,
                  WeekdayName(t.weekday).c_str(), t.hour, t.minute, t.second, utc ? " (UTC)" : " (LOC)");
    return buf;
}

std::string ClockLine(bool amsatDayForm, const DateTime& utc) {
    if (amsatDayForm) return "Current Amsat Day#: " + std::to_string(DayNumber(utc.year, utc.month, utc.day) - kAmsatDayZero);
    return ClockText(utc, true);
}

DateTime BreakDownSeconds(std::int64_t seconds) {
    using namespace std::chrono;
    std::int64_t days = seconds / 86400;
    std::int64_t rest = seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        days -= 1;
    }
    const sys_days sd{std::chrono::days{days}};
    const year_month_day ymd{sd};
    DateTime t;
    t.year = static_cast<int>(ymd.year());
    t.month = static_cast<int>(static_cast<unsigned>(ymd.month()));
    t.day = static_cast<int>(static_cast<unsigned>(ymd.day()));
    t.hour = static_cast<int>(rest / 3600);
    t.minute = static_cast<int>(rest / 60 % 60);
    t.second = static_cast<int>(rest % 60);
    t.weekday = static_cast<int>(weekday{sd}.c_encoding());
    return t;
}

DateTime ReadClock(const Clock& clock, const UtcRule& rule, bool utc) {
    const std::int64_t now = clock.Now();
    const std::int64_t local = now + clock.LocalOffsetSeconds(now);
    if (!utc) return BreakDownSeconds(local);
    if (rule.autoTime) return BreakDownSeconds(now);
    // Manual rule: the local clock less TimeOff hours, the offset truncated to whole seconds.
    const auto offset = static_cast<std::int64_t>(std::trunc(static_cast<double>(rule.timeOffHours) * 3600.0));
    return BreakDownSeconds(local - offset);
}

std::string IsoUtcText(std::int64_t utcSeconds) {
    const DateTime t = BreakDownSeconds(utcSeconds);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02dZ", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    return text;
}

}  // namespace orv
