// The export: field checks, header, Amsat Day with fraction, masks, ranges, and the file format
// against golden files.
#include <gtest/gtest.h>

#include "text/number_text.h"
#include "files/telemetry_export.h"
#include "fixture.h"
#include "golden.h"

namespace orv {
namespace {

using test::MakeABlock;
using test::StandardBlock;
using test::TempDir;
using test::With;

ExportFields Fields(std::vector<std::string> addresses, std::string start = "1", std::string stop = "99") {
    ExportFields f;
    for (std::size_t k = 0; k < addresses.size(); ++k) f.addresses[k] = addresses[k];
    f.startText = std::move(start);
    f.stopText = std::move(stop);
    return f;
}

// A small log: A blocks over a day with known bytes, and other records between them.
std::vector<Block512> ExportLog() {
    std::vector<Block512> blocks;
    const char* times[] = {"2003-04-15  00:00:00", "2003-04-15  12:00:00", "2003-04-15  00:22:30",
                           "2003-12-31  23:59:59", "2004-02-29  06:30:15", "2003-04-15  ab:00:00"};
    for (int k = 0; k < 6; ++k) {
        Block512 b = With(MakeABlock(times[k]), {{0x1A7, static_cast<std::uint8_t>(0xA0 + k)},
                                                  {448, static_cast<std::uint8_t>(0x10 * k)},
                                                  {449, static_cast<std::uint8_t>(0x5B + k)},
                                                  {0x140, static_cast<std::uint8_t>(k * 51)},
                                                  {511, static_cast<std::uint8_t>(k)}});
        blocks.push_back(b);
        if (k == 1) blocks.push_back(StandardBlock('K'));
        if (k == 3) {
            Block512 marked = b;
            marked[0] = 0xC1;
            blocks.push_back(marked);
        }
    }
    return blocks;
}

TEST(ExportHeader, AddressesAsTypedAndTheRule) {
    const std::string rule(74, '-');
    ExportFields f = Fields({});
    EXPECT_EQ(ExportHeader(f.addresses), "Blk#, Amsat Day, Telem. addr. \r\n" + rule + "\r\n");
    f = Fields({"#1A7", "", "448"});
    EXPECT_EQ(ExportHeader(f.addresses), "Blk#, Amsat Day, Telem. addr. = #1A7, 448\r\n" + rule + "\r\n");
}

TEST(PrepareExport, FieldChecks) {
    struct Case {
        ExportFields fields;
        std::string message;
        std::uint32_t start = 0, stop = 0;
    } cases[] = {
        {Fields({"#1A7"}, "0", "7"), "", 1, 7},
        {Fields({"#1A7"}, "3", "900"), "", 3, 250},
        {Fields({"#1A7"}, "9", "4"), "", 9, 4},   // header only
        {Fields({"512"}), "Address value greater than 511\n        Please re-enter!"},
        {Fields({"", "#200"}), "Address value greater than 511\n        Please re-enter!"},
        {Fields({"448", "#"}), "Address #2 \"#\" is not a number\n        Please re-enter!"},
        {Fields({"4x"}), "Address #1 \"4x\" is not a number\n        Please re-enter!"},
        {Fields({"448"}, "", "5"), "Start: is not a block number\n        Please re-enter!"},
        {Fields({"448"}, "1", ""), "Stop: is not a block number from 1 to 250\n        Please re-enter!"},
        {Fields({"448"}, "1", "0"), "Stop: is not a block number from 1 to 250\n        Please re-enter!"},
        {Fields({"448"}, "#1", "5"), "Start: is not a block number\n        Please re-enter!"},
    };
    for (const auto& c : cases) {
        const ExportCheck check = PrepareExport(c.fields, 250);
        EXPECT_EQ(check.message, c.message);
        EXPECT_EQ(check.plan.has_value(), c.message.empty());
        if (check.plan) {
            EXPECT_EQ(check.plan->start, c.start);
            EXPECT_EQ(check.plan->stop, c.stop);
        }
    }
    ExportFields masks = Fields({"448", "#1A7", "300"});
    masks.masks[1] = "#0F";
    masks.masks[2] = "";
    const ExportCheck check = PrepareExport(masks, 10);
    ASSERT_TRUE(check.plan);
    EXPECT_EQ(check.plan->channels[0].mask, 255);
    EXPECT_EQ(check.plan->channels[1].mask, 15);
    EXPECT_EQ(check.plan->channels[2].mask, -1);
    EXPECT_EQ(check.plan->channels[3].address, -1);
}

TEST(AmsatDayOfBlock, DayAndFraction) {
    struct Case {
        const char* time;
        std::optional<long double> day;
    } cases[] = {
        {"1978-01-01  00:00:00", 0.0L},
        {"2003-04-15  12:00:00", 9235.5L},         // 12:00:00 adds exactly 0.5
        {"2003-04-15  00:22:30", 9235.015625L},
        {"2003-04-15   6:00:00", 9235.25L},        // a leading space is allowed
        {"2003-04-15  ab:00:00", std::nullopt},
        {"2003-4-15   00:00:00", std::nullopt},
        {"                    ", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(AmsatDayOfBlock(Record(MakeABlock(c.time))), c.day) << c.time;
}

std::string ExportText(const std::vector<Block512>& blocks, const ExportFields& fields, ExportResult* result = nullptr) {
    TempDir dir;
    const TelemetryImage image = test::ImageOf(blocks);
    const ExportCheck check = PrepareExport(fields, static_cast<std::uint32_t>(image.BlockCount()));
    EXPECT_TRUE(check.plan) << check.message;
    if (!check.plan) return {};
    const ExportResult r = ExportFile(image, *check.plan, dir / "export.txt");
    EXPECT_TRUE(r.written) << r.message;
    if (result) *result = r;
    return test::ReadText(dir / "export.txt");
}

TEST(ExportFile, GoldenRawChannels) {
    ExportFields f = Fields({"#1A7", "448", "", "#1C0", "511", "320"}, "0", "999");
    ExportResult r;
    const std::string text = ExportText(ExportLog(), f, &r);
    EXPECT_EQ(r.lines, 5U);
    EXPECT_EQ(r.skippedTime, 1U);  // the block with "ab" for its hour
    test::ExpectGolden("export_raw.txt", text);
}

TEST(ExportFile, GoldenMasks) {
    ExportFields f = Fields({"#1A7", "448", "#1A7", "#140"}, "2", "7");
    f.masks = {"#0F", "#0F", "15", "", "#FF", "#FF", "#FF", "#FF"};
    f.raw = false;  // masks other than #FF are raw whatever the choice
    test::ExpectGolden("export_masks.txt", ExportText(ExportLog(), f));
}

// Translated values go through the spacecraft calibration: a temperature, an omni solar angle
// (arccos rule), a wheel speed, an address from #180 on, and one below #100. The mask keeps the
// #140 channel in the second column raw.
TEST(ExportFile, GoldenTranslated) {
    ExportFields f = Fields({"#140", "#130", "#1C0", "#190", "100", "#140"}, "1", "99");
    f.masks[5] = "#7F";
    f.raw = false;
    test::ExpectGolden("export_trans.txt", ExportText(ExportLog(), f));
}

// The Amsat Day column for every second of a day, and for day numbers of other lengths, is
// exactly the number text of the day plus its fraction.
TEST(ExportFile, AmsatDayColumnForEverySecond) {
    std::vector<Block512> blocks;
    const auto add = [&](int year, int month, int day, int seconds) {
        char time[32];
        std::snprintf(time, sizeof time, "%04d-%02d-%02d  %02d:%02d:%02d", year, month, day, seconds / 3600,
                      seconds / 60 % 60, seconds % 60);
        blocks.push_back(MakeABlock(time));
    };
    for (int s = 0; s < 86400; ++s) add(2003, 4, 15, s);
    for (int s = 0; s < 86400; s += 997) {
        add(1978, 1, 5, s);    // one digit
        add(2005, 5, 19, s);   // 10000: five digits
        add(1970, 1, 1, s);    // before 1978: negative
    }
    add(1978, 1, 9, 86399);    // 9.99999: no carry yet
    const std::string text = ExportText(blocks, Fields({}, "1", "999999"), nullptr);
    std::size_t at = text.find("\r\n", text.find("\r\n") + 2) + 2;
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        const std::size_t end = text.find("\r\n", at);
        ASSERT_NE(end, std::string::npos);
        const std::string line = text.substr(at, end - at);
        const auto day = AmsatDayOfBlock(Record(blocks[i]));
        ASSERT_TRUE(day);
        ASSERT_EQ(line, std::to_string(i + 1) + ", " + FixedText(*day, 11, 5)) << "block " << i + 1;
        at = end + 2;
    }
}

TEST(ExportFile, LinesFollowTheRules) {
    // Mask #0F on 0xA7 gives 7.0; 448 raw is byte 448 + 256 x byte 449 and only its low byte is masked.
    const Block512 b = With(MakeABlock("2003-04-15  12:00:00"), {{0x1A7, 0xA7}, {448, 0x34}, {449, 0x12}});
    ExportFields f = Fields({"#1A7", "448", "448"});
    f.masks[0] = "#0F";
    f.masks[2] = "#0F";
    EXPECT_EQ(ExportText({b}, f), ExportHeader(f.addresses) + "1, 9235.50000, 7.0, 4660.0, 4612.0\r\n");
    // No address: block number and Amsat Day only.
    EXPECT_EQ(ExportText({b}, Fields({})), ExportHeader(Fields({}).addresses) + "1, 9235.50000\r\n");
    // A stop below the start: the header and no lines.
    EXPECT_EQ(ExportText({b, b}, Fields({"448"}, "2", "1")), ExportHeader(Fields({"448"}).addresses));
}

TEST(ExportFile, ReplacesAnOldFile) {
    TempDir dir;
    test::WriteBytes(dir / "export.txt", std::vector<std::uint8_t>(5000, 'x'));
    const TelemetryImage image = test::ImageOf({MakeABlock()});
    const ExportCheck check = PrepareExport(Fields({"448"}), 1);
    ASSERT_TRUE(check.plan);
    ASSERT_TRUE(ExportFile(image, *check.plan, dir / "export.txt").written);
    EXPECT_EQ(test::ReadText(dir / "export.txt"), check.plan->header + "1, 9235.50000, 0.0\r\n");
}

}  // namespace
}  // namespace orv
