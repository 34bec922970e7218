// SiDS form fields, their encoding, coordinates, and which blocks are shared.
#include <gtest/gtest.h>

#include "forward/sids_form.h"
#include "forward_blocks.h"

namespace orv {
namespace {

TEST(SidsFormTest, FieldsOfOneSubmission) {
    const Block514 b = test::ForwardBlock(7);
    const SidsStation station{"DL1ABC/P", 52.01462, -4.36471, kAo40NoradId};
    const auto fields = SidsFields(station, test::Received(b, 1796869479));
    ASSERT_EQ(fields.size(), 7U);
    const std::pair<const char*, std::string> expected[] = {
        {"noradID", "26609"},
        {"source", "DL1ABC/P"},
        {"timestamp", "2026-12-10T02:24:39Z"},
        {"frame", HexText(b)},
        {"locator", "longLat"},
        {"longitude", "4.3647W"},
        {"latitude", "52.0146N"},
    };
    for (std::size_t i = 0; i < 7; ++i) {
        EXPECT_EQ(fields[i].name, expected[i].first);
        EXPECT_EQ(fields[i].value, expected[i].second) << fields[i].name;
    }
    EXPECT_EQ(fields[3].value.size(), 1028U);
    EXPECT_EQ(fields[3].value.substr(0, 4), "4120");
    EXPECT_EQ(FormUrlEncode(fields), "noradID=26609&source=DL1ABC%2FP&timestamp=2026-12-10T02%3A24%3A39Z&frame=" +
                                         HexText(b) + "&locator=longLat&longitude=4.3647W&latitude=52.0146N");
}

TEST(SidsFormTest, EncodingAndHex) {
    EXPECT_EQ(FormUrlEncodeComponent("Az09-._~"), "Az09-._~");
    EXPECT_EQ(FormUrlEncodeComponent("a b&c=d+e/%"), "a+b%26c%3Dd%2Be%2F%25");
    EXPECT_EQ(FormUrlEncodeComponent("\xC3\xA9\n"), "%C3%A9%0A");
    EXPECT_EQ(FormUrlEncode({{"a", "1"}, {"b c", ""}}), "a=1&b+c=");
    const std::uint8_t bytes[] = {0x00, 0x0F, 0xA5, 0xFF};
    EXPECT_EQ(HexText(bytes), "000FA5FF");
}

TEST(SidsFormTest, Coordinates) {
    EXPECT_EQ(LatitudeText(-33.92487), "33.9249S");
    EXPECT_EQ(LongitudeText(151.0), "151.0000E");
    EXPECT_EQ(LongitudeText(-0.5), "0.5000W");
    struct Case {
        const char* text;
        bool latitude;
        bool ok;
        double degrees;
    } cases[] = {
        {"52.0146", true, true, 52.0146},   {" -33.9 ", true, true, -33.9},  {"52.0146N", true, true, 52.0146},
        {"33.9s", true, true, -33.9},       {"4.3647W", false, true, -4.3647}, {"+179.99", false, true, 179.99},
        {"4.3647E", false, true, 4.3647},   {"90.1", true, false, 0},        {"180.5", false, false, 0},
        {"52.0146E", true, false, 0},       {"-52N", true, false, 0},        {"", true, false, 0},
        {"52,01", true, false, 0},          {"N", true, false, 0},           {"1e2", false, false, 0},
    };
    for (const auto& c : cases) {
        double d = 0;
        std::string error;
        EXPECT_EQ(ParseCoordinate(c.text, c.latitude, d, error), c.ok) << c.text;
        if (c.ok) EXPECT_DOUBLE_EQ(d, c.degrees) << c.text;
        else EXPECT_FALSE(error.empty()) << c.text;
    }
}

TEST(SidsFormTest, OnlyLiveGoodBlocksAreShared) {
    const Block514 good = test::ForwardBlock(1);
    Block514 bad = good;
    bad[100] ^= 1;
    ReceivedBlock r = test::Received(good);
    EXPECT_TRUE(ShouldSubmitToSids(r));
    r.origin = BlockOrigin::FecFrame;
    EXPECT_TRUE(ShouldSubmitToSids(r));
    r.live = false;  // replay, simulator, demo
    EXPECT_FALSE(ShouldSubmitToSids(r));
    EXPECT_FALSE(ShouldSubmitToSids(test::Received(bad)));
    ReceivedBlock bare = test::Received(good);
    bare.bytes = std::span(good).first(512);
    bare.verdict = CrccVerdict::NotChecked;
    EXPECT_FALSE(ShouldSubmitToSids(bare));
}

TEST(SidsFormTest, StationProblems) {
    EXPECT_EQ(SidsStationProblem({"DL1ABC", 52, 4, kAo40NoradId}), "");
    EXPECT_NE(SidsStationProblem({"", 52, 4, kAo40NoradId}), "");
    EXPECT_NE(SidsStationProblem({"DL1 ABC", 52, 4, kAo40NoradId}), "");
    EXPECT_NE(SidsStationProblem({"DL1ABC", 91, 4, kAo40NoradId}), "");
    EXPECT_NE(SidsStationProblem({"DL1ABC", 52, 4, 0}), "");
}

}  // namespace
}  // namespace orv
