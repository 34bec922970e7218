#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "tools/byte_dump.h"

namespace orv {
namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// Byte k holds k for the first 256 bytes; the rest are 0.
Block512 Fixture() {
    Block512 b{};
    for (int k = 0; k < 256; ++k) b[static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(k);
    return b;
}

TEST(ByteDump, DecimalText) {
    const std::string text = ByteDumpText(Fixture(), true);
    ASSERT_NE(text.back(), '\n');
    const auto lines = Lines(text);
    ASSERT_EQ(lines.size(), 34u);
    EXPECT_EQ(lines[0], "   | 00  01  02  03  04  05  06  07  08  09  10  11  12  13  14  15");
    EXPECT_EQ(lines[1], std::string(68, '-'));
    EXPECT_EQ(lines[2], "000| 00  01  02  03  04  05  06  07  08  09  10  11  12  13  14  15  ");
    // Three-digit values start one column early.
    EXPECT_EQ(lines[8], "096| 96  97  98  99 100 101 102 103 104 105 106 107 108 109 110 111  ");
    // ... and the first of a row takes the space after "|".
    EXPECT_EQ(lines[9], "112|112 113 114 115 116 117 118 119 120 121 122 123 124 125 126 127  ");
    EXPECT_EQ(lines[17], "240|240 241 242 243 244 245 246 247 248 249 250 251 252 253 254 255  ");
    EXPECT_EQ(lines[18], "256| 00  00  00  00  00  00  00  00  00  00  00  00  00  00  00  00  ");
    EXPECT_EQ(lines[33].substr(0, 5), "496| ");
}

TEST(ByteDump, DecimalShiftMidRow) {
    Block512 b{};
    b[16] = 5;
    b[17] = 200;
    b[18] = 7;
    b[31] = 255;
    EXPECT_EQ(Lines(ByteDumpText(b, true))[3],
              "016| 05 200  07  00  00  00  00  00  00  00  00  00  00  00  00 255  ");
}

TEST(ByteDump, HexText) {
    const auto lines = Lines(ByteDumpText(Fixture(), false));
    ASSERT_EQ(lines.size(), 34u);
    EXPECT_EQ(lines[0], "   | 00  01  02  03  04  05  06  07  08  09  0A  0B  0C  0D  0E  0F");
    EXPECT_EQ(lines[1], std::string(68, '-'));
    EXPECT_EQ(lines[2], "000| 00  01  02  03  04  05  06  07  08  09  0A  0B  0C  0D  0E  0F  ");
    EXPECT_EQ(lines[17], "0F0| F0  F1  F2  F3  F4  F5  F6  F7  F8  F9  FA  FB  FC  FD  FE  FF  ");
    EXPECT_EQ(lines[33].substr(0, 5), "1F0| ");
}

TEST(ByteDump, AddressReadoutAtTheEdges) {
    struct Case {
        int x, y;
        double scale;
        std::optional<int> address;
    };
    const Case cases[] = {
        {36, 30, 1.0, 0},
        {35, 30, 1.0, std::nullopt},       // left of the first column
        {36, 29, 1.0, std::nullopt},       // above the first row (the rule line)
        {5, 30, 1.0, std::nullopt},        // over the row address
        {543, 30, 1.0, 15},                // 36 + 31.7 x 16 = 543.2
        {544, 30, 1.0, std::nullopt},      // column 16
        {36, 509, 1.0, 496},               // row 31
        {36, 510, 1.0, std::nullopt},      // row 32
        {543, 509, 1.0, 511},
        {36 + 95, 30 + 15 * 26, 1.0, 26 * 16 + 2},
        // Scale 1.25: columns 31.7 x 1.25 wide, rows 15 x 1.3125 high (in whole 15-pixel steps).
        {36 + 39, 30, 1.25, 0},            // 39 / 39.625 < 1
        {36 + 40, 30, 1.25, 1},
        {36, 30 + 15, 1.25, 0},            // 1 / 1.3125 < 1
        {36, 30 + 30, 1.25, 16},
        {36, 30 + 15 * 41 + 14, 1.25, 31 * 16},
        {36, 30 + 15 * 42, 1.25, std::nullopt},  // 42 / 1.3125 = 32
        {36 + 633, 30, 1.25, 15},
        {36 + 635, 30, 1.25, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ByteDumpAddressAt(c.x, c.y, c.scale), c.address) << c.x << "," << c.y << " at " << c.scale;
}

TEST(ByteDump, AddressTexts) {
    EXPECT_EQ(ByteDumpAddressText(7, true), "007");
    EXPECT_EQ(ByteDumpAddressText(423, true), "423");
    EXPECT_EQ(ByteDumpAddressText(423, false), "#1A7");
    EXPECT_EQ(ByteDumpAddressText(7, false), "#007");
    EXPECT_EQ(ByteDumpAddressText(std::nullopt, true), "---");
    EXPECT_EQ(ByteDumpAddressText(std::nullopt, false), "---");
}

TEST(ByteDump, CopyIntoFirstEmptyField) {
    MonitorFields fields{};
    CopyAddressToMonitor(fields, "#1A7");
    EXPECT_EQ(fields[0], " #1A7");
    fields[2] = "12";
    CopyAddressToMonitor(fields, "423");
    EXPECT_EQ(fields[1], " 423");
    CopyAddressToMonitor(fields, "007");
    EXPECT_EQ(fields[3], " 007");
    EXPECT_EQ(fields[2], "12");

    MonitorFields full;
    full.fill("1");
    CopyAddressToMonitor(full, "#1FF");
    EXPECT_EQ(full[0], " #1FF");
    for (std::size_t i = 1; i < full.size(); ++i) EXPECT_EQ(full[i], "1");
}

}  // namespace
}  // namespace orv
