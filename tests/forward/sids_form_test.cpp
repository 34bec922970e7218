// SiDS form fields, their encoding, coordinates, and which blocks are shared.
#include <gtest/gtest.h>

#include <array>

#include "forward/sids_form.h"
#include "forward_blocks.h"

namespace orv {
namespace {

TEST(SidsFormTest, FieldsOfOneSubmission) {
    const Block514 b = test::ForwardBlock(7);
    const SidsStation station{"DL1ABC/P", 52.01462, -4.36471, kAo40NoradId};
    ReceivedBlock received = test::Received(b, 1796869479);
    received.utcMilliseconds += 123;
    const auto fields = SidsFields(station, received);
    const std::string version = "Orv/" ORV_VERSION;
    const std::pair<const char*, std::string> expected[] = {
        {"noradID", "26609"},
        {"source", "DL1ABC/P"},
        {"timestamp", "2026-12-10T02:24:39.123Z"},
        {"frame", HexText(b)},
        {"locator", "longLat"},
        {"longitude", "4.3647W"},
        {"latitude", "52.0146N"},
        {"version", version},
    };
    ASSERT_EQ(fields.size(), std::size(expected));
    for (std::size_t i = 0; i < fields.size(); ++i) {
        EXPECT_EQ(fields[i].name, expected[i].first);
        EXPECT_EQ(fields[i].value, expected[i].second) << fields[i].name;
    }
    EXPECT_EQ(fields[3].value.size(), 1028U);
    EXPECT_EQ(fields[3].value.substr(0, 4), "4120");
    EXPECT_EQ(FormUrlEncode(fields), "noradID=26609&source=DL1ABC%2FP&timestamp=2026-12-10T02%3A24%3A39.123Z&frame=" +
                                         HexText(b) + "&locator=longLat&longitude=4.3647W&latitude=52.0146N&version=Orv%2F" +
                                         ORV_VERSION);

    // An FEC frame is shared as its 256 data bytes, as gr-satellites submits it and SatNOGS keeps it.
    std::array<std::uint8_t, kFecDataBytes> data{};
    data.fill(0x5A);
    received.fecData = data;
    const std::string frame = SidsFields(station, received)[3].value;
    EXPECT_EQ(frame.size(), 512U);
    EXPECT_EQ(frame, HexText(data));
}

TEST(SidsFormTest, TimestampsWithMilliseconds) {
    const std::pair<std::int64_t, const char*> cases[] = {
        {0, "1970-01-01T00:00:00.000Z"},
        {1796869479007, "2026-12-10T02:24:39.007Z"},
        {1796869479999, "2026-12-10T02:24:39.999Z"},
        {-1, "1969-12-31T23:59:59.999Z"},
        {-1000, "1969-12-31T23:59:59.000Z"},
    };
    for (const auto& [ms, text] : cases) EXPECT_EQ(IsoUtcMillisecondsText(ms), text) << ms;
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
