// The export: field checks, header, Amsat Day with fraction, masks, ranges, and the file format
// against golden files.
#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "displays/channel_conversion.h"
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
    const MappedLogFile image = test::ImageOf(blocks);
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
    const MappedLogFile image = test::ImageOf({MakeABlock()});
    const ExportCheck check = PrepareExport(Fields({"448"}), 1);
    ASSERT_TRUE(check.plan);
    ASSERT_TRUE(ExportFile(image, *check.plan, dir / "export.txt").written);
    EXPECT_EQ(test::ReadText(dir / "export.txt"), check.plan->header + "1, 9235.50000, 0.0\r\n");
}

// The export line of record i worked out value by value from the rules, each text by its own
// FixedText call: the reference that the export's value tables, Amsat Day decimals, time stamps
// and output buffer must match byte for byte. Nothing when the line is left out.
std::optional<std::string> ReferenceLine(const MappedLogFile& image, std::uint64_t i, const ExportPlan& plan) {
    const Record r = image.RecordAt(i);
    const auto day = AmsatDayOfBlock(r);
    if (!day) return std::nullopt;
    const auto field = [&](std::size_t at, std::size_t n) {
        std::size_t k = at;
        while (k < at + n && r[k] == ' ') ++k;
        int v = 0;
        for (; k < at + n; ++k) v = v * 10 + (r[k] - '0');  // numeric: AmsatDayOfBlock said so
        return v;
    };
    const std::string separator = plan.csv ? "," : ", ";
    std::string line = std::to_string(i + 1);
    if (plan.csv) {
        const int year = field(36, 4), month = field(41, 2), dayOfMonth = field(44, 2);
        const int hour = field(48, 2), minute = field(51, 2), second = field(54, 2);
        static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
        if (month < 1 || month > 12 || dayOfMonth < 1 || dayOfMonth > kDays[month - 1] || hour > 23 || minute > 59 ||
            second > 59)
            return std::nullopt;
        char stamp[64];
        std::snprintf(stamp, sizeof stamp, ",%04d-%02d-%02dT%02d:%02d:%02dZ", year, month, dayOfMonth, hour, minute, second);
        line += stamp;
    }
    line += separator + FixedText(*day, 11, 5);
    for (const ExportChannel& c : plan.channels) {
        if (c.address < 0) continue;
        const auto p = static_cast<std::size_t>(c.address);
        const auto low = static_cast<std::uint8_t>(r[p] & c.mask);
        const bool raw = c.mask == 255 ? plan.raw : true;
        line += separator + FixedText(ChannelConversion(low, image.NextByte(i, p), c.address, raw), 6, 1);
    }
    return line + (plan.csv ? "\n" : "\r\n");
}

// Exports the plan and compares it line by line with the reference; returns the lines written.
std::uint64_t ExpectReferenceLines(const MappedLogFile& image, const ExportPlan& plan) {
    std::string text;
    const ExportResult result = ExportLines(image, plan, [&](const char* data, std::size_t bytes) {
        text.append(data, bytes);
        return true;
    });
    EXPECT_TRUE(result.written) << result.message;
    EXPECT_EQ(text.compare(0, plan.header.size(), plan.header), 0);
    std::size_t at = plan.header.size();
    std::uint64_t lines = 0, skipped = 0;
    for (std::uint64_t i = plan.start - 1; i < std::min<std::uint64_t>(plan.stop, image.BlockCount()); ++i) {
        if (image.RecordAt(i)[0] != 'A') continue;
        const auto expected = ReferenceLine(image, i, plan);
        if (!expected) {
            ++skipped;
            continue;
        }
        if (text.compare(at, expected->size(), *expected) != 0) {
            ADD_FAILURE() << "block " << i + 1 << ": expected \"" << *expected << "\", got \""
                          << text.substr(at, expected->size()) << "\"";
            return lines;
        }
        at += expected->size();
        ++lines;
    }
    EXPECT_EQ(at, text.size()) << "more output than lines";
    EXPECT_EQ(result.lines, lines);
    EXPECT_EQ(result.skippedTime, skipped);
    return lines;
}

// Records in runs of one date, with dates and times of every shape the export meets: day numbers
// of one to five digits and negative ones, leading spaces, impossible calendar dates and times
// (numeric, so in the historic format they still give a line), text that is not a number, and
// random bytes in every channel; some records are not A blocks.
std::vector<Block512> RandomRecords(std::mt19937& random, std::size_t count) {
    std::vector<Block512> blocks;
    const auto pick = [&](int below) { return static_cast<int>(random() % static_cast<unsigned>(below)); };
    char date[16] = "2003-04-15";
    for (std::size_t k = 0; k < count; ++k) {
        if (k % 37 == 0 || pick(20) == 0) {
            const int years[] = {1978, 1970, 1999, 2003, 2005, 2040, 2300, 9999, 0};
            const int year = pick(4) == 0 ? years[pick(9)] : 1978 + pick(60);
            const int month = pick(30) == 0 ? 13 + pick(87) : 1 + pick(12);
            const int day = pick(30) == 0 ? pick(2) * 32 : 1 + pick(31);
            std::snprintf(date, sizeof date, pick(10) == 0 ? "%4d-%2d-%2d" : "%04d-%02d-%02d", year % 10000, month, day);
            if (pick(40) == 0) date[pick(10)] = "ab #-"[pick(5)];
        }
        char time[16];
        const int hour = pick(25) == 0 ? 24 + pick(76) : pick(24);
        std::snprintf(time, sizeof time, pick(10) == 0 ? "%2d:%2d:%2d" : "%02d:%02d:%02d", hour, pick(60), pick(60));
        if (pick(100) == 0) time[pick(8)] = "x -"[pick(3)];
        Block512 b = MakeABlock(std::string(date) + "  " + time);
        for (std::size_t a = 56; a < b.size(); ++a) b[a] = static_cast<std::uint8_t>(random());
        if (pick(10) == 0) b[0] = "EDK\xC1"[pick(4)];
        blocks.push_back(b);
    }
    return blocks;
}

// Every format, raw and translated, with channels of every kind of address (wheel words, on/off
// bytes, the arccos set, calibrated and uncalibrated, address 511 reading the next record), the
// same address more than once, masks of every kind, and ranges inside the file; the records read
// from a file batch by batch (two runs in three) or held in memory.
TEST(ExportLines, MatchesValueByValueReference) {
    std::mt19937 random(4040);
    TempDir dir;
    const std::vector<std::uint8_t> bytes = test::Concat(RandomRecords(random, 6000));
    const MappedLogFile memory = MappedLogFile::FromBytes(bytes);
    const MappedLogFile file = test::FileImageOf(dir / "T030415.raw", bytes);
    const int addresses[] = {0x1C0, 0x1C2, 0x1C4, 0x1C1, 0x182, 0x183, 0x130, 0x133, 0x140, 0x10B, 0x17F, 0x180,
                             0x190, 0x1A7, 56, 100, 255, 300, 510, 511};
    const long long masks[] = {255, 255, 255, -1, 0x0F, 0x7F, 0x1FF, 0};
    std::uint64_t lines = 0;
    for (int run = 0; run < 24; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        ExportPlan plan;
        plan.raw = run % 2 == 0;
        plan.csv = run % 4 >= 2;
        for (ExportChannel& c : plan.channels) {
            if (random() % 6 == 0) continue;  // an empty field
            c.address = random() % 3 == 0 ? static_cast<int>(56 + random() % 456) : addresses[random() % std::size(addresses)];
            c.mask = random() % 4 == 0 ? static_cast<long long>(random() % 256) : masks[random() % std::size(masks)];
        }
        plan.start = run < 20 ? 1 : static_cast<std::uint32_t>(1 + random() % 3000);
        plan.stop = run < 20 ? 6000 : static_cast<std::uint32_t>(plan.start + random() % 3000);
        plan.header = plan.csv ? CsvExportHeader(plan.channels) : "header\r\n";
        lines += ExpectReferenceLines(run % 3 != 1 ? file : memory, plan);
        if (HasFailure()) return;
    }
    EXPECT_GT(lines, 24U * 2000U);  // most records give a line
}

// A wheel word's texts, raw and translated, for each of the 65,536 words.
TEST(ExportLines, EveryWheelWordMatchesReference) {
    std::vector<Block512> blocks;
    for (unsigned word = 0; word < 65536; ++word)
        blocks.push_back(With(MakeABlock(), {{448, static_cast<std::uint8_t>(word & 0xFF)},
                                             {449, static_cast<std::uint8_t>(word >> 8)}}));
    const MappedLogFile image = test::ImageOf(blocks);
    ExportPlan plan;
    plan.raw = false;
    plan.channels[0] = {448, 255};  // translated
    plan.channels[1] = {448, -1};   // no mask: raw
    plan.stop = 65536;
    for (const bool csv : {false, true}) {
        plan.csv = csv;
        EXPECT_EQ(ExpectReferenceLines(image, plan), 65536U);
    }
}

// Progress every kProgressRecords records and at the end; a stop asked for there leaves the old
// file in place.
TEST(ExportFile, ProgressAndStop) {
    TempDir dir;
    const std::vector<Block512> blocks(2 * kProgressRecords + 5, MakeABlock());
    const MappedLogFile image = test::ImageOf(blocks);
    const ExportCheck check = PrepareExport(Fields({"448"}, "1", "999999"), static_cast<std::uint32_t>(blocks.size()));
    ASSERT_TRUE(check.plan);
    std::vector<std::pair<std::uint64_t, std::uint64_t>> calls;
    const auto record = [&](std::uint64_t done, std::uint64_t total) {
        calls.emplace_back(done, total);
        return true;
    };
    const ExportResult r = ExportFile(image, *check.plan, dir / "export.txt", record);
    ASSERT_TRUE(r.written) << r.message;
    EXPECT_EQ(r.lines, blocks.size());
    const std::vector<std::pair<std::uint64_t, std::uint64_t>> expected = {
        {kProgressRecords, blocks.size()}, {2 * kProgressRecords, blocks.size()}, {blocks.size(), blocks.size()}};
    EXPECT_EQ(calls, expected);

    test::WriteBytes(dir / "export.txt", std::vector<std::uint8_t>(10, 'x'));
    const ExportResult stopped = ExportFile(image, *check.plan, dir / "export.txt",
                                            [](std::uint64_t done, std::uint64_t) { return done < 2 * kProgressRecords; });
    EXPECT_FALSE(stopped.written);
    EXPECT_NE(stopped.message.find("stopped"), std::string::npos) << stopped.message;
    EXPECT_EQ(test::ReadText(dir / "export.txt"), std::string(10, 'x'));
}

}  // namespace
}  // namespace orv
