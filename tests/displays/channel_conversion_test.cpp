// Channel conversion, channel text, number text and Amsat Day from date text.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>
#include <vector>

#include "displays/channel_conversion.h"
#include "text/number_text.h"

namespace orv {
namespace {

Block514 BlockWith(std::initializer_list<std::pair<int, std::uint8_t>> bytes) {
    Block514 b{};
    b[0] = 'A';
    for (auto [address, value] : bytes) b[static_cast<std::size_t>(address)] = value;
    return b;
}

struct TextCase {
    int address;
    std::uint8_t low;
    std::uint8_t next;
    bool raw;
    const char* text;
};

TEST(ChannelTextTest, ShowsConvertedAndRawValues) {
    const TextCase cases[] = {
        {0x140, 0, 0, false, "-69.7"},     // temperature, lowest
        {0x140, 255, 0, false, "98.4"},    // 98.35, one decimal below 100
        {0x140, 255, 0, true, "255"},      // raw: the plain byte
        {0x14C, 106, 0, false, "0.1"},
        {0x14C, 105, 0, false, "-0.5"},
        {0x140, 129, 0, false, "15.3"},
        {0x140, 128, 0, false, "14.6"},
        {0x12B, 0, 0, false, "104"},       // 103.8: no decimals from 100 on
        {0x10B, 200, 0, false, "29.5"},    // 29.476
        {0x106, 0, 0, false, "-31.3"},
        {0x130, 255, 0, false, "0.0"},     // arccos 1
        {0x130, 0, 0, false, "90.0"},      // arccos 0 with pi = 3.141592
        {0x130, 0, 0, true, "0"},
        {0x1C0, 0xFE, 0x5F, false, "0.0"},  // 24574: zero RPM
        {0x1C2, 0xFF, 0xFF, false, "-3084"},
        {0x1C4, 0xFF, 0xFF, true, "#FFFF"},
        {0x1C0, 0xFE, 0x5F, true, "#5FFE"},
        {0x1C0, 0, 0, false, "0.0"},        // word 0 converts to 0, not to the formula's value
        {0x1C0, 0, 0, true, "#0000"},
        {0x1C0, 1, 0, false, "4.042E+07"},  // more than four integer digits: exponent notation
        {0x182, 0xAA, 0, false, "ON"},
        {0x182, 0xAA, 0, true, "ON"},
        {0x183, 0xAB, 0, false, "off"},
        {0x183, 0x00, 0, true, "off"},
        {0x181, 7, 0, true, "7"},
        {0x1FF, 200, 0, false, "200"},      // from #180 on: the byte itself
        {0x1C1, 200, 0, false, "200"},      // high byte of a wheel word is no wheel word
        {0x100, 0, 0, false, "83.7"},       // cubic spin rate
        {0x104, 255, 0, false, "48.3"},     // 1.2209544 * 255 - 263.0537 = 48.29
        {0x12A, 255, 0, false, "39.5"},
    };
    for (const auto& c : cases) {
        Block514 block = BlockWith({{c.address, c.low}});
        block[static_cast<std::size_t>(c.address) + 1] = c.next;
        EXPECT_EQ(ChannelText(block, c.address, c.raw), c.text) << std::hex << c.address << " " << int(c.low);
    }
}

TEST(ChannelTextTest, DecimalsFollowTheUnroundedValue) {
    struct Case {
        float value;
        const char* text;
    };
    const Case cases[] = {
        {99.96F, "100.0"}, {100.0F, "100"}, {-99.96F, "-100.0"}, {-100.0F, "-100"}, {-0.04F, "0.0"},
        {999.6F, "1000"},  {9999.4F, "9999"}, {9999.6F, "1.000E+04"}, {-3084.2F, "-3084"}, {0.05F, "0.1"},
    };
    for (const auto& c : cases) EXPECT_EQ(ChannelValueText(c.value, 0x140, false), c.text) << c.value;
}

TEST(ChannelConversionTest, ReturnsValuesForGraphAndExport) {
    EXPECT_FLOAT_EQ(ChannelConversion(0, 0, 0x140, false), -69.72F);
    EXPECT_NEAR(ChannelConversion(255, 0, 0x140, false), 98.35, 5e-3);
    EXPECT_FLOAT_EQ(ChannelConversion(0, 0, 0x130, false), 90.00002F);
    EXPECT_EQ(ChannelConversion(0xFE, 0x5F, 0x1C0, true), 24574.0F);
    EXPECT_EQ(ChannelConversion(0, 0, 0x1C2, false), 0.0F);
    EXPECT_NEAR(ChannelConversion(0xFE, 0x5F, 0x1C4, false), 0.0F, 1e-6);
    // From #180 on and below #100 the byte is the value in both modes.
    for (int address : {0x180, 0x181, 0x1A5, 0x1FF, 0x000, 0x0FF})
        for (bool raw : {false, true}) EXPECT_EQ(ChannelConversion(7, 9, address, raw), 7.0F) << address;
    // Raw in the calibrated range is the plain byte.
    EXPECT_EQ(ChannelConversion(255, 0, 0x11B, true), 255.0F);
}

// The map and the table, checked against the address lists given with each coefficient set.
TEST(ChannelConversionTest, CalibrationMapMatchesTheSetAddressLists) {
    std::map<int, std::vector<int>> users = {
        {0, {0x107}},        {1, {0x17A}},        {2, {0x10A}},        {3, {0x10B, 0x10C, 0x10D}},
        {4, {0x110, 0x112}}, {5, {0x106}},        {6, {0x108}},        {7, {0x109}},
        {8, {0x10E}},        {9, {0x10F, 0x111}}, {10, {0x130, 0x131, 0x132, 0x133}},
        {11, {0x134, 0x135}}, {12, {0x12E, 0x12F}}, {13, {0x103}},      {16, {0x121}},
        {17, {0x12B, 0x12C}}, {18, {0x119}},       {19, {0x120}},      {20, {0x116}},
        {21, {0x11E}},       {22, {0x11F}},       {23, {0x11D}},      {24, {0x11B}},
        {25, {0x100}},       {26, {0x171, 0x172, 0x173, 0x174, 0x176, 0x177}},
        {27, {0x175, 0x178}}, {28, {0x115}},       {29, {0x114}},      {30, {0x101, 0x117}},
        {31, {0x102}},       {32, {0x104}},       {33, {0x127}},      {34, {0x128}},
        {35, {0x12A}},
    };
    for (int a = 0x140; a <= 0x16F; ++a) users[14].push_back(a);
    for (int a : {0x105, 0x113, 0x118, 0x11A, 0x11C, 0x122, 0x123, 0x124, 0x125, 0x126, 0x129, 0x12D, 0x170, 0x179,
                  0x17B, 0x17C, 0x17D, 0x17E, 0x17F})
        users[15].push_back(a);
    for (int a = 0x136; a <= 0x13F; ++a) users[15].push_back(a);
    std::set<int> seen;
    for (const auto& [set, addresses] : users)
        for (int a : addresses) {
            EXPECT_EQ(kCalibrationMap[static_cast<std::size_t>(a - 0x100)], set) << std::hex << a;
            EXPECT_TRUE(seen.insert(a).second) << std::hex << a;
        }
    EXPECT_EQ(seen.size(), 128U);
    for (std::size_t s = 36; s < kCoefficientTable.size(); ++s) {
        const auto& k = kCoefficientTable[s];
        EXPECT_TRUE(k.a == 0 && k.b == 0 && k.c == 0 && k.d == 0) << s;
    }
}

// The linear sets, checked against the formulas the windows list for their channels.
TEST(ChannelConversionTest, LinearSetsMatchTheWindowFormulas) {
    struct Case {
        int address;
        double c, d;
    };
    const Case cases[] = {
        {0x10B, 0.1548, -1.484},   {0x10E, 0.1522, -1.06},    {0x171, 0.1014, -0.6212}, {0x111, 0.1318, -0.923},
        {0x178, 0.0125, -0.0875},  {0x112, 0.0657, -0.712},   {0x107, 0.2035, -2.85},   {0x108, 0.197, -0.739},
        {0x109, 0.0412, -0.76},    {0x10A, 0.1024, -0.653},   {0x170, 1, 0},            {0x106, 0.241, -31.28},
        {0x17A, 0.042922, -0.33333}, {0x117, 0.0815, -1.253}, {0x119, 0.103, -0.95},    {0x102, 0.0835, -1.381},
        {0x101, 0.0815, -1.253},   {0x104, 1.2209544, -263.0537}, {0x103, 0.0503, -0.3154}, {0x114, 2.3406, -197.1},
        {0x115, 0.1235, -1.235},   {0x140, 0.65911, -69.72},  {0x12B, -0.413, 103.8},   {0x121, -0.0704, 9.011},
        {0x127, -0.0743, 9.51},    {0x128, 0.1134, -13.27},   {0x120, 0.129, -7.9},     {0x116, 0.154, -10.6},
        {0x11E, 0.254, -14.8},     {0x11F, 0.457, -31.9},
    };
    for (const auto& c : cases)
        for (int b : {0, 1, 100, 255})
            EXPECT_NEAR(ChannelConversion(static_cast<std::uint8_t>(b), 0, c.address, false), c.c * b + c.d,
                        1e-4 * (1 + std::abs(c.c * b + c.d)))
                << std::hex << c.address << " " << std::dec << b;
}

// The inverse the simulator uses: value -> raw -> value lands within half a step, for every
// calibrated address (linear, curved, arccos, identity) and the wheel words.
TEST(RawForValueTest, RoundTripsThroughTheConversion) {
    auto convert = [](int address, int raw) {
        return ChannelConversion(static_cast<std::uint8_t>(raw & 0xFF), static_cast<std::uint8_t>(raw >> 8), address,
                                 false);
    };
    auto expectRoundTrip = [&](int address, int raw, int nextRaw) {
        const float value = convert(address, raw);
        EXPECT_EQ(convert(address, RawForValue(address, value)), value) << std::hex << address << " " << raw;
        const double step = std::fabs(convert(address, nextRaw) - value);
        for (double share : {0.25, 0.49}) {
            const double between = value + share * (convert(address, nextRaw) - value);
            EXPECT_LE(std::fabs(convert(address, RawForValue(address, between)) - between), step / 2 * (1 + 1e-6))
                << std::hex << address << " " << raw << " " << share;
        }
    };
    for (int address = kCalibratedFirst; address < kCalibratedEnd; ++address)
        for (int b = 0; b < 255; ++b) expectRoundTrip(address, b, b + 1);
    for (int word : {1, 2, 100, 1000, 24574, 30000, 50000, 65534}) expectRoundTrip(0x1C2, word, word + 1);
    EXPECT_EQ(RawForValue(0x1C0, 0.0), 24574);  // a standing wheel
    EXPECT_EQ(RawForValue(0x1C4, -5000.0), 65535);  // beyond the slowest word
    EXPECT_EQ(RawForValue(0x1C4, 1e9), 1);
    // Beyond the range: the byte at its end, also for a calibration that falls with the byte.
    EXPECT_EQ(RawForValue(0x10B, -100.0), 0);
    EXPECT_EQ(RawForValue(0x10B, 100.0), 255);
    EXPECT_EQ(RawForValue(0x12B, 200.0), 0);
    EXPECT_EQ(RawForValue(0x12B, -200.0), 255);
    EXPECT_EQ(RawForValue(0x130, 95.0), 0);  // arccos: 90 degrees at byte 0
    // Uncalibrated addresses: the value is the byte.
    EXPECT_EQ(RawForValue(0x185, 17.4), 17);
    EXPECT_EQ(RawForValue(0x050, 300.0), 255);
}

TEST(OffVoltageTest, ReadsWrappedBytesAndInvertsThem) {
    EXPECT_FLOAT_EQ(OffVoltage(kBatteryOffVoltage, 10), 28.40F);  // 10 + 256
    EXPECT_FLOAT_EQ(OffVoltage(kBatteryOffVoltage, 64), 20.32F);
    EXPECT_FLOAT_EQ(OffVoltage(0x18D, 0), 20.0F);  // 0 + 256
    EXPECT_FLOAT_EQ(OffVoltage(0x18F, 128), 7.2F);
    for (int address : {kBatteryOffVoltage, 0x18D, 0x18E, 0x18F})
        for (int b = 0; b < 256; ++b) {
            const auto byte = static_cast<std::uint8_t>(b);
            EXPECT_EQ(RawForOffVoltage(address, OffVoltage(address, byte)), byte) << std::hex << address << " " << b;
        }
    // Beyond the range: the lowest reading (byte 64 or 128) or the highest (the byte below it).
    EXPECT_EQ(RawForOffVoltage(kBatteryOffVoltage, 0.0), 64);
    EXPECT_EQ(RawForOffVoltage(kBatteryOffVoltage, 99.0), 63);
    EXPECT_EQ(RawForOffVoltage(0x18E, -99.0), 128);
    EXPECT_EQ(RawForOffVoltage(0x18E, 99.0), 127);
}

TEST(ChannelTextTest, AddressOutsideTheBlockShowsPlaceholder) {
    const Block512 block{};
    EXPECT_EQ(ChannelText(block, 512, false), "---");
    EXPECT_EQ(ChannelText(block, -1, true), "---");
    // The byte after the last one of a bare block reads as 0.
    EXPECT_EQ(ChannelText(block, 511, true), "0");
}

TEST(FixedTextTest, RoundsOnceAtTheTighterLimit) {
    struct Case {
        long double value;
        int precision, decimals;
        const char* text;
    };
    const Case cases[] = {
        {12.345L, 4, 1, "12.3"},  {28.40L, 4, 2, "28.40"}, {20.0L, 3, 1, "20.0"},  {4.5L, 2, 1, "4.5"},
        {0.0L, 2, 1, "0.0"},      {50.77L, 3, 1, "50.8"},  {-0.0L, 4, 1, "0.0"},   {65535.0L, 5, 0, "65535"},
        {0.5L, 4, 0, "1"},        {-0.5L, 4, 0, "-1"},     {-0.4L, 4, 0, "0"},     {123456.0L, 4, 0, "1.235E+05"},
        {-98765.0L, 4, 1, "-9.877E+04"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FixedText(c.value, c.precision, c.decimals), c.text) << static_cast<double>(c.value);
    EXPECT_EQ(FixedText(std::numeric_limits<long double>::quiet_NaN(), 4, 1), "NAN");
    EXPECT_EQ(FixedText(-std::numeric_limits<long double>::infinity(), 4, 1), "-INF");
}

TEST(AmsatDayTest, FromDateText) {
    struct Case {
        const char *year, *month, *day, *text;
    };
    const Case cases[] = {
        {"2003", "12", "30", "9494"}, {"1978", "01", "01", "0"},   {"2004", "02", "29", "9555"},
        {"2004", "03", "01", "9556"}, {"2001", "04", "30", "8520"}, {"1970", "01", "01", "-2922"},
        {"abcd", "xx", "yy", "-2922"},  // every part falls back: 1970, 1, 1
        {"2003", "1-", "30", "9160"},   // month falls back to 1: 2003-01-30
        {"", "", "", "-2922"},         {" 200", "12", "30", "-649051"},
    };
    for (const auto& c : cases) EXPECT_EQ(AmsatDayFromDateText(c.year, c.month, c.day), c.text) << c.year;
}

TEST(AddressTextTest, HexAndDecimal) {
    EXPECT_EQ(TelemetryAddressText(0x1A7), "#1A7/423");
    EXPECT_EQ(TelemetryAddressText(0x100), "#100/256");
}

}  // namespace
}  // namespace orv
