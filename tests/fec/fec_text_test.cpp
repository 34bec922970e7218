// Reconstructed block, FEC log lines and files, number texts.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "fec/fec_block.h"
#include "fec/fec_log.h"
#include "text/number_text.h"
#include "reception/crcc.h"
#include "file_contents.h"
#include "temp_dir.h"

namespace orv {
namespace {

// Decoded data of a frame sent on 2003-12-30 at 14:05:09, MA 200, check word ABCD.
FecData SampleData() {
    FecData d{};
    for (std::size_t i = 0; i < d.size(); ++i) d[i] = static_cast<std::uint8_t>(i * 3 + 1);
    const int day = 731594 - 722100;
    d[165] = 200;
    d[169] = 9;
    d[170] = 5;
    d[171] = 14;
    d[172] = static_cast<std::uint8_t>(day & 0xFF);
    d[173] = static_cast<std::uint8_t>(day >> 8);
    d[224] = 0xCD;
    d[225] = 0xAB;
    return d;
}

std::string Text(const Block514& b, std::size_t from, std::size_t count) {
    return std::string(reinterpret_cast<const char*>(b.data() + from), count);
}

TEST(FixedText, RoundsToSignificantDigitsThenDecimals) {
    const struct {
        double value;
        int precision, digits;
        const char* text;
    } cases[] = {
        {45.06, 3, 1, "45.1"}, {7.24, 3, 1, "7.2"},    {6.75, 3, 1, "6.8"},    {-3.9, 3, 1, "-3.9"},
        {0.25, 3, 1, "0.3"},   {-0.04, 3, 1, "0.0"},   {9.96, 3, 1, "10.0"},   {99.96, 3, 1, "100.0"},
        {127.56, 4, 1, "127.6"}, {-127.6, 3, 1, "-128.0"}, {1234.5, 3, 1, "1.23E+03"}, {0.0, 3, 1, "0.0"},
        {64.99, 3, 1, "65.0"}, {0.06, 3, 1, "0.1"},
    };
    for (const auto& c : cases) EXPECT_EQ(FixedText(c.value, c.precision, c.digits), c.text) << c.value;
    EXPECT_EQ(PadLeft("7", 4), "   7");
    EXPECT_EQ(PadLeft("12345", 4), "12345");
}

TEST(FecBlock, ReconstructedBlockLayout) {
    const FecData d = SampleData();
    const Block514 b = ReconstructFecBlock(d);
    EXPECT_EQ(Text(b, 0, 63), "A  HI, THIS IS AMSAT OSCAR-40       2003-12-30  14:05:09  #ABCD");
    EXPECT_EQ(b[63], 0);
    const std::string frameLine = "+" + std::string(62, '-') + "+";
    EXPECT_EQ(Text(b, 64, 64), frameLine);
    EXPECT_EQ(Text(b, 128, 64), "|             RECONSTRUCTED FROM DECODED FEC BLOCK             |");
    EXPECT_EQ(Text(b, 192, 64), frameLine);
    EXPECT_TRUE(std::equal(d.begin(), d.end(), b.begin() + 256));
    EXPECT_TRUE(CrccPasses(b));
    EXPECT_TRUE(IsStandard(b, 'A'));
}

TEST(FecBlock, DatesOfEveryDayCount) {
    EXPECT_EQ(FecDateText(0), "1978-01-01");
    // The station's calendar counts every fourth year as a leap year, which holds until
    // 28 February 2100 (day count 44618).
    using namespace std::chrono;
    const sys_days start = sys_days(year(1978) / January / 1);
    for (int n = 0; n <= 44618; ++n) {
        const year_month_day ymd(start + days(n));
        char expected[16];
        std::snprintf(expected, sizeof expected, "%04d-%02u-%02u", static_cast<int>(ymd.year()),
                      static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day()));
        ASSERT_EQ(FecDateText(n), expected) << n;
    }
}

TEST(FecBlock, TimeFieldsBelowTenGetALeadingZero) {
    FecData d = SampleData();
    d[171] = 0;
    d[170] = 9;
    d[169] = 10;
    EXPECT_EQ(FecTimeText(d), "00:09:10");
    // Out-of-range fields write whole in the text; the header keeps its layout.
    d[171] = 123;
    EXPECT_EQ(FecTimeText(d), "123:09:10");
    const Block514 b = ReconstructFecBlock(d);
    EXPECT_EQ(Text(b, 48, 11), "123:09:1  #");
}

FecStatus Status(std::int32_t c0, std::int32_t c1, std::int32_t errors, float ebNo, float gain) {
    FecStatus s;
    s.rsCorrections = {c0, c1};
    s.channelErrors = errors;
    s.ebNoDb = ebNo;
    s.syncGain = gain;
    return s;
}

TEST(FecLog, LinesPadEveryPiece) {
    FecLogState good;
    KeepFecFrameFacts(SampleData(), good);
    EXPECT_EQ(good.dayCount, 9494);
    EXPECT_EQ(good.timeText, "14:05:09");
    EXPECT_EQ(good.ma, 200);
    FecLogState before;  // nothing decoded yet
    before.lineCounter = 12;
    FecLogState failed = good;
    failed.lineCounter = 7;
    FecLogState wide = good;
    wide.lineCounter = 1234;
    const struct {
        const FecLogState& state;
        FecStatus status;
        const char* line;
    } cases[] = {
        {good, Status(0, 0, 0, 20.0F, 45.06F), "    0    14:05:09   200    45.1     0   0      0   >8.3\r\n"},
        {failed, Status(-1, 3, 5, 7.0F, 9.0F), "    7    14:05:09   200     9.0    FAIL  3              \r\n"},
        {before, Status(12, -1, 5, 7.0F, -3.2F), "   12    00:00:00     0    -3.2    12  FAIL            \r\n"},
        {wide, Status(16, 9, 1234, -3.94F, 41.5F), " 1234    14:05:09   200    41.5    16   9    1234   -3.9\r\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(FecLogLine(c.state, c.status), c.line);
}

TEST(FecLog, FilesPerDayWithHeaderAndRunningCounter) {
    const test::TempDir folder;
    const std::filesystem::path& dir = folder.path();
    FecLogState state;
    const FecStatus ok = Status(0, 0, 0, 20.0F, 50.0F);
    EXPECT_EQ(FecLogFileName(0), "0_FEC.txt");
    ASSERT_TRUE(AppendFecLogLine(dir, state, ok));
    ASSERT_TRUE(AppendFecLogLine(dir, state, ok));
    const std::string header = FecLogHeader();
    EXPECT_EQ(header,
              "          Block            Sync      RS      Chan   Eb/No\r\n"
              "   ID      UTC       MA    gain     Corrs    Errs    db  \r\n"
              " " + std::string(57, '-') + "\r\n");
    EXPECT_EQ(test::ReadText(dir / "0_FEC.txt"), header + "    0    00:00:00     0    50.0     0   0      0   >8.3\r\n" +
                                               "    1    00:00:00     0    50.0     0   0      0   >8.3\r\n");
    // A new day starts a new file at 0; going back to an existing file keeps counting.
    KeepFecFrameFacts(SampleData(), state);
    ASSERT_TRUE(AppendFecLogLine(dir, state, ok));
    EXPECT_EQ(state.lineCounter, 1);
    state.dayCount = 0;
    ASSERT_TRUE(AppendFecLogLine(dir, state, ok));
    const std::string old = test::ReadText(dir / "0_FEC.txt");
    EXPECT_NE(old.find("\r\n    1    14:05:09   200    50.0"), std::string::npos);
    EXPECT_EQ(test::ReadText(dir / "9494_FEC.txt").substr(header.size(), 6), "    0 ");
    // An unwritable place loses the line, says so and leaves the counter.
    const int counter = state.lineCounter;
    EXPECT_FALSE(AppendFecLogLine(dir / "missing", state, ok));
    EXPECT_EQ(state.lineCounter, counter);
}

TEST(FecLog, StatusLine) {
    const FecStatus s = Status(3, 0, 17, 7.24F, 45.06F);
    EXPECT_EQ(FecStatusLine(s, false), "Sync Gain: 45.1");
    EXPECT_EQ(FecStatusLine(s, true), "Sync Gain: 45.1     Chan Errs: 17     RS Corrs: 3 0     Eb/No: 7.2");
    EXPECT_EQ(FecStatusLine(Status(0, 0, 0, 20.0F, 60.0F), true),
              "Sync Gain: 60.0     Chan Errs: 0     RS Corrs: 0 0     Eb/No: >8.3");
}

}  // namespace
}  // namespace orv
