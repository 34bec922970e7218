#include <gtest/gtest.h>

#include <chrono>

#include "reception/dates.h"

namespace orv {
namespace {

TEST(Dates, DayNumberExamples) {
    EXPECT_EQ(DayNumber(1978, 1, 1), 722100);
    EXPECT_EQ(DayNumber(2003, 12, 30), 731594);
    EXPECT_EQ(DayNumber(2000, 2, 29), 730194);
    EXPECT_EQ(DayNumber(2000, 3, 1), 730195);
    EXPECT_EQ(DayNumber(2003, 12, 30) - kAmsatDayZero, 9494);
}

TEST(Dates, DateTextExamples) {
    EXPECT_EQ(DateText(731594), "2003 Dec 30 [Tue]");
    EXPECT_EQ(DateText(722100), "1978 Jan 01 [Sun]");
}

TEST(Dates, EveryDateFrom1970To2029RoundTripsWithItsWeekday) {
    using namespace std::chrono;
    static const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    static const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    int previous = 0;
    for (sys_days d = sys_days{1970y / January / 1}; d <= sys_days{2029y / December / 31}; d += days{1}) {
        const year_month_day ymd{d};
        const int y = static_cast<int>(ymd.year());
        const int m = static_cast<int>(static_cast<unsigned>(ymd.month()));
        const int dd = static_cast<int>(static_cast<unsigned>(ymd.day()));
        const int n = DayNumber(y, m, dd);
        if (previous != 0) {
            ASSERT_EQ(n, previous + 1) << y << "-" << m << "-" << dd;
        }
        previous = n;
        char expected[32];
        std::snprintf(expected, sizeof expected, "%d %s %02d [%s]", y, kMonths[m - 1], dd,
                      kDays[weekday{d}.c_encoding()]);
        ASSERT_EQ(DateText(n), expected);
    }
}

TEST(Dates, ClockTextExample) {
    DateTime t = BreakDownSeconds(1072793109);  // 2003-12-30 14:05:09 UTC
    EXPECT_EQ(ClockText(t, true), "2003 Dec 30 [Tue]  14:05:09 (UTC)");
    t.day = 3;
    t.weekday = 6;
    EXPECT_EQ(ClockText(t, false), "2003 Dec  3 [Sat]  14:05:09 (LOC)");
}

TEST(Dates, ReadClockUnderBothUtcRules) {
    // Local zone two hours ahead of UTC; it is 14:05:09 UTC.
    ManualClock clock(1072793109, 2 * 3600);
    const DateTime autoUtc = ReadClock(clock, UtcRule{true, 0}, true);
    EXPECT_EQ(autoUtc.hour, 14);
    const DateTime local = ReadClock(clock, UtcRule{true, 0}, false);
    EXPECT_EQ(local.hour, 16);
    // Manual: UTC = local clock - TimeOff hours, truncated to whole seconds.
    EXPECT_EQ(ReadClock(clock, UtcRule{false, 2.0F}, true).hour, 14);
    const DateTime half = ReadClock(clock, UtcRule{false, -5.5F}, true);
    EXPECT_EQ(half.hour, 21);
    EXPECT_EQ(half.minute, 35);
    // Across midnight the date follows.
    ManualClock late(1072828799, 0);  // 2003-12-30 23:59:59 UTC
    const DateTime next = ReadClock(late, UtcRule{false, -1.0F}, true);
    EXPECT_EQ(next.day, 31);
    EXPECT_EQ(next.hour, 0);
}

}  // namespace
}  // namespace orv
