// The channel graph computed as data: scale, labels, MA and orbit points, plot geometry, the
// mouse read-out and every message.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "files/channel_graph.h"
#include "fixture.h"

namespace orv {
namespace {

using test::MakeABlock;
using test::With;

// A blocks whose byte at `address` takes the given values; MA = 10 x block number, orbit of
// block n = 1000 + n.
MappedLogFile ChannelFile(std::size_t address, const std::vector<int>& values) {
    std::vector<Block512> blocks;
    for (std::size_t n = 1; n <= values.size(); ++n) {
        const int orbit = 1000 + static_cast<int>(n);
        Block512 b = With(MakeABlock(), {{421, static_cast<std::uint8_t>(10 * n)},
                                         {422, static_cast<std::uint8_t>(orbit & 0xFF)},
                                         {423, static_cast<std::uint8_t>(orbit >> 8)}});
        b[address] = static_cast<std::uint8_t>(values[n - 1] & 0xFF);
        if (address + 1 < 512) b[address + 1] = static_cast<std::uint8_t>(values[n - 1] >> 8);
        blocks.push_back(b);
    }
    return test::ImageOf(blocks);
}

GraphInput Typed(std::string address, std::string start, std::string stop) {
    GraphInput in;
    in.addressText = std::move(address);
    in.startText = std::move(start);
    in.stopText = std::move(stop);
    return in;
}

std::vector<std::string> YLabels(const GraphPlot& p) { return {p.label1, p.label8, p.label2, p.label9, p.label3}; }

TEST(GraphChannel, ScaleStretchedToMultiplesOfFour) {
    struct Case {
        std::vector<int> values;
        float maximum, minimum;
        std::vector<std::string> labels;
    } cases[] = {
        {{10, 10, 10, 10, 10}, 12, 8, {"12.0", "11.0", "10.0", "9.0", "8.0"}},
        {{3, 200}, 202, 2, {"202.0", "152.0", "102.0", "52.0", "2.0"}},
        {{0, 255}, 256, 0, {"256.0", "192.0", "128.0", "64.0", "0.0"}},   // span 255: +1 is enough
        {{1, 3}, 4, 0, {"4.0", "3.0", "2.0", "1.0", "0.0"}},              // span 2: +1 then -1
        {{7, 8}, 10, 6, {"10.0", "9.0", "8.0", "7.0", "6.0"}},            // span 1: +1, -1, +1
    };
    for (const auto& c : cases) {
        const MappedLogFile image = ChannelFile(300, c.values);
        const auto out = GraphChannel(image, Typed("300", "1", std::to_string(c.values.size())), 1.0);
        ASSERT_TRUE(out.plot) << out.message;
        EXPECT_EQ(out.plot->maximum, c.maximum);
        EXPECT_EQ(out.plot->minimum, c.minimum);
        EXPECT_EQ(YLabels(*out.plot), c.labels);
    }
}

TEST(GraphChannel, SixteenBitChannelKeepsTheMinimumAt255) {
    const MappedLogFile image = ChannelFile(448, {300, 1011, 700});
    const auto typedHex = GraphChannel(image, Typed("#1C0", "1", "3"), 1.0);
    const auto typedDec = GraphChannel(image, Typed("448", "1", "3"), 1.0);
    ASSERT_TRUE(typedHex.plot && typedDec.plot);
    EXPECT_EQ(typedHex.plot->values, (std::vector<float>{300, 1011, 700}));
    EXPECT_EQ(typedHex.plot->minimum, 255);  // the running minimum starts at 255
    EXPECT_EQ(typedHex.plot->maximum, 1011);
    EXPECT_EQ(typedDec.plot->values, typedHex.plot->values);
    EXPECT_EQ(typedHex.plot->label7, "Data Addr = #1C0");
    EXPECT_EQ(typedHex.plot->label13, "Raw Data");
}

TEST(GraphChannel, QuarterPointsAndOrbitOfTheMiddleBlock) {
    const MappedLogFile image = ChannelFile(300, {1, 2, 3, 4, 5, 6, 7, 8, 9});
    const auto out = GraphChannel(image, Typed("300", "1", "9"), 1.0);
    ASSERT_TRUE(out.plot);
    const GraphPlot& p = *out.plot;
    const std::vector<std::string> x = {p.label4, p.label10, p.label11, p.label12, p.label6, p.label5};
    EXPECT_EQ(x, (std::vector<std::string>{"MA 10", "30", "50", "70", "MA 90", "Start Orbit# 1005"}));
    // 2..5 of 9: quarter points trunc(1 + 3 f) = 1, 2, 3 (blocks 2, 3, 4); middle 1 + 3 div 2 = 2.
    const auto part = GraphChannel(image, Typed("300", "2", "5"), 1.0);
    ASSERT_TRUE(part.plot);
    EXPECT_EQ(part.plot->label10, "20");
    EXPECT_EQ(part.plot->label11, "30");
    EXPECT_EQ(part.plot->label12, "40");
    EXPECT_EQ(part.plot->label5, "Start Orbit# 1003");
}

TEST(GraphChannel, PlotGeometry) {
    const MappedLogFile image = ChannelFile(300, {10, 10, 14, 10, 6});
    const auto out = GraphChannel(image, Typed("300", "1", "5"), 1.0);
    ASSERT_TRUE(out.plot);
    const GraphPlot& p = *out.plot;
    EXPECT_EQ(p.pictureWidth, 706);
    EXPECT_EQ(p.pictureHeight, 368);
    // Scale 6..14 (span 8). x = k x 620 / 4 + 59; y = 312 - 279/8 x (v - 6); both x 0.98.
    const std::vector<PicturePoint> points = {{57, 168}, {209, 168}, {361, 32}, {513, 168}, {665, 305}};
    EXPECT_EQ(p.points, points);
    const auto scaled = GraphChannel(image, Typed("300", "1", "5"), 1.25);
    ASSERT_TRUE(scaled.plot);
    EXPECT_EQ(scaled.plot->pictureWidth, 882);
    EXPECT_EQ(scaled.plot->pictureHeight, 460);
    EXPECT_EQ(scaled.plot->points.front(), (PicturePoint{70, 210}));  // kx = 1.2, ky = 1.225
}

TEST(GraphChannel, MouseReadOut) {
    const MappedLogFile image = ChannelFile(300, {10, 10, 14, 10, 6});
    const auto out = GraphChannel(image, Typed("300", "1", "5"), 1.0);
    ASSERT_TRUE(out.plot);
    const auto at = [&](int x, int y) { return GraphMouseReadOut(*out.plot, x, y); };
    auto r = at(361, 33);  // over block 3 at the top of the scale
    ASSERT_TRUE(r);
    EXPECT_EQ(r->block, "3");
    EXPECT_EQ(r->value, "14.0");
    r = at(209, 167);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->block, "2");
    EXPECT_EQ(r->value, "10.1");
    EXPECT_FALSE(at(760, 150));  // right of the last block
    EXPECT_FALSE(at(300, 20));   // above the maximum
    EXPECT_FALSE(at(300, 330));  // below the minimum
}

TEST(GraphChannel, ChannelCaseTakesTheRequest) {
    const MappedLogFile image = ChannelFile(0x140, {100, 120});
    GraphInput in;
    in.fromChannel = true;
    in.startText = "1";
    in.stopText = "2";
    in.raw = true;
    in.request = GraphRequest{0x140, "Temp. Battery", "deg C"};
    auto out = GraphChannel(image, in, 1.0);
    ASSERT_TRUE(out.plot);
    EXPECT_EQ(out.plot->label7, "Temp. Battery");
    EXPECT_EQ(out.plot->label13, "Raw Data");
    EXPECT_EQ(out.plot->values, (std::vector<float>{100, 120}));
    in.raw = false;
    out = GraphChannel(image, in, 1.0);
    ASSERT_TRUE(out.plot);
    EXPECT_EQ(out.plot->label13, "deg C");
    // Translated: #140 is a temperature, -69.72 at 0 and 98.35 at 255 (0.65911 per step).
    const MappedLogFile extremes = ChannelFile(0x140, {0, 255});
    out = GraphChannel(extremes, in, 1.0);
    ASSERT_TRUE(out.plot);
    EXPECT_FLOAT_EQ(out.plot->values[0], -69.72F);
    EXPECT_EQ(YLabels(*out.plot), (std::vector<std::string>{"101.0", "58.0", "15.0", "-28.0", "-71.0"}));
    in.request.title.clear();
    out = GraphChannel(image, in, 1.0);
    EXPECT_FALSE(out.plot);
    EXPECT_EQ(out.message, kSelectChannelText);
}

TEST(GraphChannel, EveryRefusal) {
    MappedLogFile image = ChannelFile(300, {1, 2, 3, 4, 5});
    struct Case {
        GraphInput input;
        std::string message;  // empty: nothing happens, no message
    } cases[] = {
        {Typed("", "1", "5"), ""},
        {Typed("   ", "1", "5"), ""},
        {Typed("512", "1", "5"), kImproperAddressText},
        {Typed("#200", "1", "5"), kImproperAddressText},
        {Typed("#", "1", "5"), kImproperAddressText},
        {Typed("3x", "1", "5"), kImproperAddressText},
        {Typed("300", "", "5"), "Start Blk# is not a block number!\nPlease enter a number from 1 to 5."},
        {Typed("300", "1", "five"), "Stop Blk# is not a block number!\nPlease enter a number from 1 to 5."},
        {Typed("300", "0", "5"), "Start Blk# must be 1 or more!"},
        {Typed("300", "1", "6"), "Stop Blk# 6 is beyond the end of the file (5 blocks)!"},
        {Typed("300", "3", "3"), "Start and stop are the same block!\nA graph needs at least two blocks."},
        {Typed("300", "4", "2"), "Stop Blk# is below Start Blk#!"},
    };
    for (const auto& c : cases) {
        const auto out = GraphChannel(image, c.input, 1.0);
        EXPECT_FALSE(out.plot) << c.input.addressText << " " << c.input.startText << "-" << c.input.stopText;
        EXPECT_EQ(out.message, c.message);
    }
    // The typed text is kept trimmed; the range is kept when both fields are numbers.
    const auto out = GraphChannel(image, Typed(" #12C ", "2", "4"), 1.0);
    EXPECT_EQ(out.typedAddressText, "#12C");
    ASSERT_TRUE(out.range);
    EXPECT_EQ(out.range->start, 2U);
    EXPECT_EQ(out.range->stop, 4U);
    // No file loaded: nothing happens.
    const MappedLogFile none;
    const auto silent = GraphChannel(none, Typed("300", "1", "5"), 1.0);
    EXPECT_FALSE(silent.plot);
    EXPECT_EQ(silent.message, "");
}

TEST(GraphChannel, NonABlocksStopTheGraph) {
    std::vector<Block512> blocks(4, MakeABlock());
    blocks[2][0] = 0xC1;  // a marked A block
    const MappedLogFile marked = test::ImageOf(blocks);
    auto out = GraphChannel(marked, Typed("300", "1", "4"), 1.0);
    EXPECT_EQ(out.message, kNonABlocksText);
    EXPECT_FALSE(out.plot);
    // Outside the range it does not matter.
    out = GraphChannel(marked, Typed("300", "1", "2"), 1.0);
    EXPECT_TRUE(out.plot);
    blocks[2] = test::StandardBlock('K');
    out = GraphChannel(test::ImageOf(blocks), Typed("300", "2", "4"), 1.0);
    EXPECT_EQ(out.message, kNonABlocksText);
}

TEST(GraphChannel, Address511ReadsTheNextRecordOrTheZeroAfterTheFile) {
    std::vector<Block512> blocks(3, MakeABlock());
    for (auto& b : blocks) b[511] = 7;
    const MappedLogFile image = test::ImageOf(blocks);
    // Raw at 511 is the byte alone; the byte after it matters only to a 16-bit channel, so
    // check the image directly as the graph reads it.
    EXPECT_EQ(image.NextByte(1, 511), 'A');
    EXPECT_EQ(image.NextByte(2, 511), 0);
    const auto out = GraphChannel(image, Typed("511", "1", "3"), 1.0);
    ASSERT_TRUE(out.plot);
    EXPECT_EQ(out.plot->values, (std::vector<float>{7, 7, 7}));
}

#ifdef __linux__
// The process's resident memory in megabytes: "VmRSS" now, or "VmHWM" its peak.
double ResidentMegabytes(const char* key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(key, 0) == 0) return std::strtod(line.c_str() + std::strlen(key), nullptr) / 1024.0;
    return -1;
}

TEST(GraphChannel, AGraphOverABigFileKeepsItsResidentMemoryFlat) {
    // 96 MiB of A blocks, the whole file graphed from an opened image: resident memory may grow by
    // the plot (12 bytes a block, 2.3 MB) and the pass's buffer, not by the file.
    test::TempDir dir;
    const auto path = dir / "big.tlm";
    constexpr std::size_t kBlocks = 196608;
    {
        std::ofstream out(path, std::ios::binary);
        Block512 b = MakeABlock();
        for (std::size_t n = 0; n < kBlocks; ++n) {
            b[300] = static_cast<std::uint8_t>(n);
            out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
        }
    }
    MappedLogFile image;
    std::string error;
    ASSERT_TRUE(image.Open(path, error)) << error;
    std::ofstream("/proc/self/clear_refs") << "5";  // the peak starts again from here
    const double before = ResidentMegabytes("VmRSS:");
    const auto out = GraphChannel(image, Typed("300", "1", std::to_string(kBlocks)), 1.0);
    ASSERT_TRUE(out.plot);
    EXPECT_EQ(out.plot->values[kBlocks - 1], 255.0F);
    const double growth = ResidentMegabytes("VmHWM:") - before;
    ASSERT_GE(before, 0);
    EXPECT_LT(growth, 40.0) << "peak resident memory grew by " << growth << " MB for a 96 MiB file";
}
#endif

TEST(GraphRangeDefaults, StartAndStopPreset) {
    EXPECT_EQ(GraphRangeDefaults({0, 0}, 250).start, 1U);
    EXPECT_EQ(GraphRangeDefaults({0, 0}, 250).stop, 250U);
    EXPECT_EQ(GraphRangeDefaults({5, 900}, 250).stop, 250U);
    EXPECT_EQ(GraphRangeDefaults({5, 20}, 250).stop, 20U);
}

}  // namespace
}  // namespace orv
