// The simulated stream's content: CRCC verdicts at the chosen share, header lines that parse
// back, event numbers, readable text pages, telemetry that follows the orbit and looks real.
#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <set>
#include <string>

#include "displays/channel_conversion.h"
#include "sim/block_builder.h"
#include "sim/block_texts.h"
#include "sim/telemetry_generator.h"
#include "reception/crcc.h"
#include "reception/dates.h"

namespace orv::sim {
namespace {

constexpr std::int64_t kStart = 1796911200;  // 2026-12-10 14:00:00 UTC

SimOptions Options(ModemType modem = ModemType::Bytes514, double failShare = 0.0, std::uint64_t seed = 7) {
    SimOptions o;
    o.modem = modem;
    o.failShare = failShare;
    o.seed = seed;
    o.startUtc = kStart;
    return o;
}

std::string Text(const Block514& b, std::size_t at, std::size_t n) {
    return std::string(reinterpret_cast<const char*>(b.data()) + at, n);
}

TEST(SimGenerator, DamagedBlocksFailTheirCrccAtTheChosenShare) {
    struct Case {
        ModemType modem;
        double share;
    };
    for (const Case c : {Case{ModemType::Bytes514, 0.0}, Case{ModemType::Bytes514, 0.1}, Case{ModemType::Bytes514, 1.0},
                         Case{ModemType::Bytes512, 0.3}}) {
        SCOPED_TRACE(c.share);
        TelemetryGenerator gen(Options(c.modem, c.share));
        const int n = 2000;
        int damaged = 0;
        for (int i = 0; i < n; ++i) {
            const SimBlock b = gen.Next();
            ASSERT_TRUE(CrccPasses(b.block));  // as the spacecraft sent it
            ASSERT_EQ(b.wire.size(), static_cast<std::size_t>(BlockLength(c.modem)));
            if (c.modem == ModemType::Bytes514) {
                ASSERT_EQ(CrccPasses(std::span(b.wire.data(), 514)), b.intact);
            }
            // A 512-byte line has no CRCC, but its damaged blocks carry bit errors all the same.
            ASSERT_EQ(std::equal(b.wire.begin(), b.wire.end(), b.block.begin()), b.intact);
            // The kind stays readable in a damaged block.
            ASSERT_EQ(b.wire[0], b.block[0]);
            ASSERT_EQ(b.wire[1], b.block[1]);
            if (!b.intact) ++damaged;
        }
        const double sigma = std::sqrt(n * c.share * (1 - c.share));
        EXPECT_NEAR(damaged, n * c.share, 4 * sigma + 0.5);
    }
}

TEST(SimGenerator, OneSeedOneStream) {
    TelemetryGenerator a(Options(ModemType::Bytes514, 0.2, 11)), b(Options(ModemType::Bytes514, 0.2, 11));
    TelemetryGenerator c(Options(ModemType::Bytes514, 0.2, 12));
    bool differs = false;
    for (int i = 0; i < 60; ++i) {
        const SimBlock x = a.Next(), y = b.Next(), z = c.Next();
        ASSERT_EQ(x.wire, y.wire) << "block " << i;
        ASSERT_EQ(x.offset, y.offset);
        differs = differs || x.wire != z.wire;
    }
    EXPECT_TRUE(differs);
}

// The first line of A, E and D blocks as the Status window reads it.
struct Header {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    unsigned word = 0;
};

bool ParseHeader(const Block514& b, Header& h) {
    const std::string date = Text(b, 36, 10), time = Text(b, 48, 8), word = Text(b, 59, 4);
    char end = 0;
    if (std::sscanf(date.c_str(), "%4d-%2d-%2d%c", &h.year, &h.month, &h.day, &end) != 3) return false;
    if (std::sscanf(time.c_str(), "%2d:%2d:%2d%c", &h.hour, &h.minute, &h.second, &end) != 3) return false;
    for (char c : word)
        if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
    h.word = static_cast<unsigned>(std::stoul(word, nullptr, 16));
    return b[58] == '#' && b[63] == 0;
}

bool SameMoment(const Header& h, std::int64_t utc) {
    const DateTime t = BreakDownSeconds(utc);
    return h.year == t.year && h.month == t.month && h.day == t.day && h.hour == t.hour && h.minute == t.minute &&
           h.second == t.second;
}

TEST(SimGenerator, HeaderLinesCarryTheSimulatedClock) {
    TelemetryGenerator gen(Options());
    std::set<char> kindsWithHeader;
    std::int64_t lastAUtc = 0;
    for (int i = 0; i < 400; ++i) {
        const SimBlock b = gen.Next();
        ASSERT_EQ(b.utc, kStart + static_cast<std::int64_t>(std::floor(b.offset)));
        const char kind = b.Kind();
        if (kind != 'A' && kind != 'E' && kind != 'D') continue;
        Header h;
        ASSERT_TRUE(ParseHeader(b.block, h)) << kind << ": " << Text(b.block, 0, 64);
        kindsWithHeader.insert(kind);
        if (kind == 'E') {
            // An event block tells when its event happened: some time before now.
            const std::int64_t eventUtc =
                (DayNumber(h.year, h.month, h.day) - DayNumber(1970, 1, 1)) * 86400LL + h.hour * 3600 + h.minute * 60 + h.second;
            EXPECT_LE(eventUtc, b.utc);
            EXPECT_GT(eventUtc, b.utc - 4 * 69000);
            continue;
        }
        EXPECT_TRUE(SameMoment(h, b.utc)) << Text(b.block, 0, 64);
        if (kind == 'A') {
            EXPECT_EQ(Text(b.block, 0, 29), "A  HI, THIS IS AMSAT OSCAR-40");
            if (lastAUtc != 0) {
                EXPECT_GE(b.utc - lastAUtc, 10);
                EXPECT_LE(b.utc - lastAUtc, 32);
            }
            lastAUtc = b.utc;
        }
    }
    EXPECT_EQ(kindsWithHeader, (std::set<char>{'A', 'D', 'E'}));
}

TEST(SimGenerator, EventBlocksAndTheEventPointerTellOneStory) {
    // Start just before the transponder comes on: the spacecraft records a new event.
    const OrbitPosition now = OrbitAt(kStart);
    SimOptions o = Options();
    o.startUtc = UtcOfMa(now.orbit + 1, 30) - 25;
    TelemetryGenerator gen(o);
    int pointer = -1, firstPointer = -1;
    std::set<int> seen;
    bool sawNewEvent = false, sawMatrixSwitch = false;
    for (int i = 0; i < 300; ++i) {
        const SimBlock b = gen.Next();
        if (b.Kind() == 'A') {
            const int p = EventPointer(b.block);
            if (firstPointer < 0) {
                firstPointer = p;
                EXPECT_EQ(b.block[0x1F5], 0);  // transponder still off: no U -> S2 route
            }
            EXPECT_TRUE(p == firstPointer || p == firstPointer + 1);
            if (p == firstPointer + 1) sawMatrixSwitch = sawMatrixSwitch || b.block[0x1F5] == 0x02;
            pointer = p;
        }
        if (b.Kind() == 'E') {
            EXPECT_EQ(Text(b.block, 128, 7), "EVENT #");
            const int number = EventNumber(b.block);
            ASSERT_EQ(Text(b.block, 135, 4), [&] {
                char hex[8];
                std::snprintf(hex, sizeof hex, "%04X", number);
                return std::string(hex);
            }());
            // Only the buffer's last sixteen events, none newer than the pointer.
            EXPECT_LE(number, pointer);
            EXPECT_GT(number, pointer - 16);
            // The snapshot's own event pointer is its number.
            EXPECT_EQ(EventPointer(b.block), number);
            seen.insert(number);
            if (number == firstPointer + 1) {
                sawNewEvent = true;
                EXPECT_NE(Text(b.block, 128, 64).find("TRANSPONDER U/L1 TO S2 ON"), std::string::npos);
            }
        }
    }
    EXPECT_EQ(pointer, firstPointer + 1);
    EXPECT_TRUE(sawNewEvent);
    EXPECT_TRUE(sawMatrixSwitch);
    EXPECT_GE(seen.size(), 16u);  // E blocks go round the whole buffer
}

bool Printable(std::uint8_t c) { return c >= 0x20 && c <= 0x7E; }

TEST(SimGenerator, TextBlocksAreReadablePages) {
    TelemetryGenerator gen(Options());
    std::set<char> kinds;
    for (int i = 0; i < 40; ++i) {
        const SimBlock b = gen.Next();
        const char k = b.Kind();
        if (k < 'K' || k > 'N') continue;
        kinds.insert(k);
        EXPECT_EQ(b.block[1], ' ');
        for (std::size_t j = 0; j < 512; ++j) ASSERT_TRUE(Printable(b.block[j])) << k << " byte " << j;
        EXPECT_NE(Text(b.block, 0, 64).find("SIMULATED"), std::string::npos);
    }
    EXPECT_EQ(kinds, (std::set<char>{'K', 'L', 'M', 'N'}));
    // Every page of every kind, and the A block's lines, fit the 64-character rows.
    for (char k : {'K', 'L', 'M', 'N'}) {
        for (std::int64_t orbit = 0; orbit < 12; ++orbit) {
            const TextPage page = TextBlockPage(k, orbit, 7);
            EXPECT_EQ(page[0][0], k);
            for (const auto& line : page) EXPECT_LE(line.size(), kLineWidth) << line;
        }
    }
    for (std::int64_t i = 0; i < 10; ++i) EXPECT_LE(NewsLine(i).size(), kLineWidth);
    EXPECT_LE(std::string(kSimulatedNotice).size(), kLineWidth);
}

TEST(SimGenerator, DBlocksComeNowAndThen) {
    TelemetryGenerator gen(Options());
    int d = 0;
    for (int i = 0; i < 600; ++i) d += gen.Next().Kind() == 'D' ? 1 : 0;
    EXPECT_GE(d, 10);
    EXPECT_LE(d, 50);
}

// Converted values of the channels the display windows show stay within what a healthy
// spacecraft reads, all round the orbit.
TEST(SimGenerator, TelemetryLooksLikeAHealthySpacecraft) {
    struct Channel {
        int address;
        double lo, hi;
    };
    const Channel channels[] = {
        {0x10B, 27, 30},     // main battery V
        {0x10C, 27, 30},     // aux battery V
        {0x10E, 29, 34},     // BCR 1 input V
        {0x111, 29, 34},     // BCR 2 input V
        {0x171, 0.5, 2},     // solar array current A
        {0x112, 9.5, 10.5},  // 10 V converter
        {0x108, 2, 6},       // main bus A
        {0x106, -1.5, 1.5},  // total battery current A
        {0x11F, -2, 20},     // U receiver AGC dB
        {0x120, -2, 12},     // L1 receiver AGC dB
        {0x115, 1, 4},       // LIU low pressure bar
        {0x12B, 10, 25},     // X transmitter temperature
    };
    // The value a display window shows for the byte at `address`.
    auto value = [](const SimBlock& b, int address) {
        return ChannelConversion(b.block[static_cast<std::size_t>(address)], 0, address, false);
    };
    for (int step = 0; step < 32; ++step) {
        SimOptions o = Options();
        o.startUtc = kStart + step * 69000 / 32;
        TelemetryGenerator gen(o);
        const SimBlock b = gen.Next();
        ASSERT_EQ(b.Kind(), 'A');
        const OrbitPosition pos = OrbitAt(b.utc);
        EXPECT_EQ(b.block[0x1A5], pos.ma);
        EXPECT_EQ(b.block[0x1A6] + 256 * b.block[0x1A7], OrbitNumber16(pos.orbit));
        for (const auto& c : channels) {
            const double v = value(b, c.address);
            EXPECT_GE(v, c.lo) << std::hex << c.address << " at MA " << std::dec << pos.ma;
            EXPECT_LE(v, c.hi) << std::hex << c.address << " at MA " << std::dec << pos.ma;
        }
        for (int a = 0x140; a < 0x170; ++a) {
            const double t = value(b, a);
            EXPECT_GE(t, -30) << std::hex << a;
            EXPECT_LE(t, 60) << std::hex << a;
        }
        // Spin mode at about 5 RPM (the spin rate is shown only below byte 170).
        EXPECT_EQ(b.block[0x19F] & 1, 1);
        EXPECT_LT(b.block[0x100], 170);
        // The S2 transmitter carries the beacon; its output is routed from the middle beacon.
        EXPECT_EQ(b.block[0x1C8] & 1, 1);
        EXPECT_EQ(b.block[0x1FD], 0x04);
        // The transponder follows the schedule.
        EXPECT_EQ(b.block[0x1FF] == 0x04, ActiveAt(Activity::Transponder, pos.ma));
    }
}

}  // namespace
}  // namespace orv::sim
