#pragma once
// Date arithmetic of the station clock: day numbers, Amsat Days and the clock texts.
#include <cstdint>
#include <string>

#include "reception/clock.h"

namespace orv {

inline constexpr int kAmsatDayZero = 722100;  // day number of 1 January 1978, Amsat Day 0

struct DateTime {
    int year = 0, month = 0, day = 0;     // month 1..12, day 1..31
    int hour = 0, minute = 0, second = 0;
    int weekday = 0;                      // 0 = Sunday
};

// Day number of a calendar date (DayNumber(2003, 12, 30) = 731594).
int DayNumber(int year, int month, int day);

// Day number back to "2003 Dec 30 [Tue]".
std::string DateText(int dayNumber);

// "2003 Dec 30 [Tue]  14:05:09 (UTC)", or " (LOC)" when utc is false.
std::string ClockText(const DateTime& t, bool utc);

// The station clock line: "Current Amsat Day#: 9494" in the Amsat Day form, otherwise the
// ClockText of the UTC time.
std::string ClockLine(bool amsatDayForm, const DateTime& utc);

// Broken-down form of seconds since 1970-01-01 00:00:00 (no time zone applied).
DateTime BreakDownSeconds(std::int64_t seconds);

// "2026-12-10T02:24:39Z" for seconds since 1970-01-01 00:00:00 UTC.
std::string IsoUtcText(std::int64_t utcSeconds);

// How the station turns its clock into UTC: the operating system's zone ("Auto Time"),
// or UTC = local clock time - TimeOff hours.
struct UtcRule {
    bool autoTime = true;
    float timeOffHours = 0.0F;
};

// Reads the clock as UTC under the rule (utc = true) or as local time, computed without
// touching the process's time zone.
DateTime ReadClock(const Clock& clock, const UtcRule& rule, bool utc);

}  // namespace orv
