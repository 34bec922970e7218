// KISS framing: escaping, gr-satellites' timestamp frames, deframing of streams cut anywhere, the
// frames of one block as the station sends them, and the KISS file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <vector>

#include "forward/kiss.h"
#include "forward/kiss_file_writer.h"
#include "forward_blocks.h"
#include "gr_satellites_kiss.h"

namespace orv {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(KissFrameTest, EscapesFendAndFescOnly) {
    struct Case {
        const char* name;
        Bytes payload;
        Bytes frame;
    } cases[] = {
        {"plain", {0x41, 0x20, 0x00, 0xFF}, {0xC0, 0x00, 0x41, 0x20, 0x00, 0xFF, 0xC0}},
        {"FEND", {0xC0}, {0xC0, 0x00, 0xDB, 0xDC, 0xC0}},
        {"FESC", {0xDB}, {0xC0, 0x00, 0xDB, 0xDD, 0xC0}},
        {"TFEND and TFESC alone are data", {0xDC, 0xDD}, {0xC0, 0x00, 0xDC, 0xDD, 0xC0}},
        {"escapes in a row", {0xDB, 0xC0, 0xDB}, {0xC0, 0x00, 0xDB, 0xDD, 0xDB, 0xDC, 0xDB, 0xDD, 0xC0}},
        {"empty", {}, {0xC0, 0x00, 0xC0}},
    };
    for (const auto& c : cases) {
        Bytes out;
        AppendKissFrame(out, c.payload);
        EXPECT_EQ(out, c.frame) << c.name;
    }
    Bytes port5;
    AppendKissFrame(port5, Bytes{0x01}, 5);
    EXPECT_EQ(port5, (Bytes{0xC0, 0x50, 0x01, 0xC0}));
    // A timestamp frame: command 9, big-endian milliseconds, escaped like data.
    Bytes stamp;
    AppendKissTimestamp(stamp, 0x000001C0DB123456);
    EXPECT_EQ(stamp, (Bytes{0xC0, 0x09, 0x00, 0x00, 0x01, 0xDB, 0xDC, 0xDB, 0xDD, 0x12, 0x34, 0x56, 0xC0}));
}

// KISS out with timestamps is gr-satellites' own format, byte for byte: an uncoded block as its
// 514 bytes, an FEC frame as its 256 data bytes (never the block rebuilt for display). Without
// timestamps only the data frames; with "good only" a failed block is left out.
TEST(KissFrameTest, StationFramesAreWhatGrSatellitesWrites) {
    const Block514 uncoded = test::ForwardBlock(1);
    Block514 failed = test::ForwardBlock(2);
    failed[77] ^= 1;
    const auto data = test::FecFrameData(3);
    const Block514 rebuilt = test::ForwardBlock(4);  // stands for the block rebuilt from `data`
    ReceivedBlock fec = test::Received(rebuilt, 1796869480);
    fec.fecData = data;
    ReceivedBlock bad = test::Received(failed, 1796869481);
    bad.utcMilliseconds += 123;

    Bytes all, stamped, goodOnly;
    for (const ReceivedBlock& b : {test::Received(uncoded), fec, bad}) {
        EXPECT_TRUE(AppendKissBlock(all, b, {}));
        EXPECT_TRUE(AppendKissBlock(stamped, b, {.timestamps = true}));
        AppendKissBlock(goodOnly, b, {.goodOnly = true});
    }
    const test::GrFrame frames[] = {{Bytes(uncoded.begin(), uncoded.end()), 1796869479000},
                                    {Bytes(data.begin(), data.end()), 1796869480000},
                                    {Bytes(failed.begin(), failed.end()), 1796869481123}};
    EXPECT_EQ(stamped, test::GrSatellitesKiss({frames[0], frames[1], frames[2]}));
    Bytes expected;
    for (const auto& f : frames) AppendKissFrame(expected, f.bytes);
    EXPECT_EQ(all, expected);
    expected.clear();
    for (const auto& f : {frames[0], frames[1]}) AppendKissFrame(expected, f.bytes);
    EXPECT_EQ(goodOnly, expected);
    EXPECT_FALSE(AppendKissBlock(goodOnly, bad, {.goodOnly = true}));
}

struct Collected {
    struct Data {
        Bytes bytes;
        std::optional<std::int64_t> time;
    };
    std::vector<Data> data;
    KissBlockDeframer deframer{
        [this](const KissData& d) { data.push_back({Bytes(d.bytes.begin(), d.bytes.end()), d.utcMilliseconds}); }};
};

TEST(KissDeframerTest, AnyChunkSplitGivesTheSameFramesAndTimes) {
    const Block514 a = test::ForwardBlock(1), b = test::ForwardBlock(2, 'E');
    const auto fec = test::FecFrameData(9);
    Bytes stream = test::GrSatellitesKiss({{Bytes(a.begin(), a.end()), 1796869479001},
                                           {Bytes(fec.begin(), fec.end()), 0x00000100C0DBC0DB}});
    AppendKissFrame(stream, b);                        // a data frame without a timestamp
    AppendKissFrame(stream, std::span(a).first(512));  // from a decoder that strips the CRCC
    for (const std::size_t chunk : {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{7}, std::size_t{513},
                                    std::size_t{1030}, stream.size()}) {
        Collected c;
        for (std::size_t at = 0; at < stream.size(); at += chunk)
            c.deframer.Feed(std::span(stream).subspan(at, std::min(chunk, stream.size() - at)));
        ASSERT_EQ(c.data.size(), 4U) << "chunk " << chunk;
        EXPECT_EQ(c.data[0].bytes, Bytes(a.begin(), a.end()));
        EXPECT_EQ(c.data[0].time, 1796869479001);
        EXPECT_EQ(c.data[1].bytes, Bytes(fec.begin(), fec.end()));
        EXPECT_EQ(c.data[1].time, 0x00000100C0DBC0DB);
        EXPECT_EQ(c.data[2].bytes, Bytes(b.begin(), b.end()));
        EXPECT_EQ(c.data[2].time, std::nullopt);
        EXPECT_EQ(c.data[3].bytes.size(), 512U);
        EXPECT_EQ(c.deframer.Skips().Total(), 0U);
        EXPECT_EQ(c.deframer.Timestamps(), 2U);
    }
}

// What a stream holds besides blocks: each case is one stream, what it hands on (sizes and
// times), what it counts, and whether Feed calls it a fault (a frame that points to a wrong feed).
TEST(KissDeframerTest, WhatIsNotABlockIsCountedAndTimesGoToTheNextDataFrameOnly) {
    const Block514 a = test::ForwardBlock(3);
    const auto frame = [](Bytes payload, std::uint8_t command = 0) {
        Bytes out;
        AppendKissFrame(out, payload, 0, command);
        return out;
    };
    const auto stamp = [](std::int64_t ms) {
        Bytes out;
        AppendKissTimestamp(out, ms);
        return out;
    };
    const auto join = [](std::initializer_list<Bytes> parts) {
        Bytes out;
        for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
        return out;
    };
    const Bytes block = frame(Bytes(a.begin(), a.end()));
    Bytes broken = block;
    broken[200] = 0xDB;  // FESC followed by an ordinary byte
    broken[201] = 0x41;
    struct Case {
        const char* name;
        Bytes stream;
        std::vector<std::pair<std::size_t, std::optional<std::int64_t>>> handed;
        KissSkips skips;
        std::uint64_t faults;
    } cases[] = {
        {"tail of a frame joined mid-way, then a block", join({{0x12, 0x34}, block}), {{514, {}}}, {}, 0},
        {"timestamp then block", join({stamp(5000), block}), {{514, 5000}}, {}, 0},
        {"a skipped data frame uses the time up", join({stamp(5000), frame(Bytes(100, 0x41)), block}),
         {{514, {}}}, {.wrongSize = 1, .lastWrongSize = 100}, 1},
        {"a later timestamp replaces the earlier", join({stamp(1), stamp(2), block, block}), {{514, 2}, {514, {}}}, {}, 0},
        {"commands a TNC stream carries are silent", join({frame({0x20}, 1), frame({}, 0x0F), block}),
         {{514, {}}}, {.otherCommands = 2}, 0},
        {"timestamp of 7 bytes", join({frame(Bytes(7, 0), 9), block}), {{514, {}}}, {.badTimestamps = 1}, 1},
        {"timestamp past the year 9999", join({stamp(253402300800000), block}), {{514, {}}}, {.badTimestamps = 1}, 1},
        {"broken escape", join({stamp(7), broken, block}), {{514, {}}}, {.damaged = 1}, 1},
        {"a frame longer than the buffer is counted by its size", join({frame(Bytes(5000, 0x11)), block}),
         {{514, {}}}, {.wrongSize = 1, .lastWrongSize = 5000}, 1},
        {"empty frames are nothing", join({{0xC0, 0xC0, 0xC0}, block}), {{514, {}}}, {}, 0},
        {"data on another port is data", frame(Bytes(a.begin(), a.begin() + 512)), {{512, {}}}, {}, 0},
    };
    cases[std::size(cases) - 1].stream[1] = 0x30;  // port 3
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Collected got;
        EXPECT_EQ(got.deframer.Feed(c.stream), c.faults);
        ASSERT_EQ(got.data.size(), c.handed.size());
        for (std::size_t i = 0; i < c.handed.size(); ++i) {
            EXPECT_EQ(got.data[i].bytes.size(), c.handed[i].first);
            EXPECT_EQ(got.data[i].time, c.handed[i].second);
        }
        const KissSkips& s = got.deframer.Skips();
        EXPECT_EQ(s.wrongSize, c.skips.wrongSize);
        EXPECT_EQ(s.lastWrongSize, c.skips.lastWrongSize);
        EXPECT_EQ(s.otherCommands, c.skips.otherCommands);
        EXPECT_EQ(s.badTimestamps, c.skips.badTimestamps);
        EXPECT_EQ(s.damaged, c.skips.damaged);
    }
    EXPECT_EQ(KissSkipsText({.wrongSize = 2, .lastWrongSize = 5000, .otherCommands = 2, .badTimestamps = 1, .damaged = 1}),
              "KISS input: skipped 2 frames of a size other than 256, 512 or 514 bytes (the last 5000 bytes); "
              "2 frames neither data nor a timestamp; 1 frame with a timestamp that is not 8 bytes of milliseconds; "
              "1 frame with a broken escape");
    EXPECT_EQ(KissSkipsText(KissSkips{}), "");
}

TEST(KissDeframerTest, ResetDropsTheFrameInProgressAndItsTime) {
    const Block514 a = test::ForwardBlock(4), b = test::ForwardBlock(5);
    Bytes first;
    AppendKissTimestamp(first, 42);
    AppendKissFrame(first, a);
    Collected c;
    c.deframer.Feed(std::span(first).first(300));  // the link drops mid-frame
    c.deframer.Reset();
    Bytes second;
    AppendKissFrame(second, b);
    c.deframer.Feed(std::span(first).subspan(300));  // stale tail: no FEND seen yet on this stream
    c.deframer.Feed(second);
    ASSERT_EQ(c.data.size(), 1U);
    EXPECT_EQ(c.data[0].bytes, Bytes(b.begin(), b.end()));
    EXPECT_EQ(c.data[0].time, std::nullopt);
}

Bytes ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST(KissFileWriterTest, AppendsWholeFramesThatReadBack) {
    const auto path = std::filesystem::path(::testing::TempDir()) / "kiss_writer_test.kiss";
    std::filesystem::remove(path);
    std::vector<Block514> blocks;
    for (std::uint32_t i = 0; i < 5; ++i) blocks.push_back(test::ForwardBlock(i));
    for (int run = 0; run < 2; ++run) {  // a second run appends
        KissFileWriter w;
        std::string error;
        ASSERT_TRUE(w.Open(path, error)) << error;
        for (const auto& b : blocks) EXPECT_TRUE(w.Write(test::Received(b)));
        EXPECT_EQ(w.Written(), 5U);
    }
    Collected c;
    c.deframer.Feed(ReadAll(path));
    ASSERT_EQ(c.data.size(), 10U);
    for (std::size_t i = 0; i < 10; ++i) EXPECT_EQ(c.data[i].bytes, Bytes(blocks[i % 5].begin(), blocks[i % 5].end()));

    KissFileWriter bad;
    std::string error;
    EXPECT_FALSE(bad.Open(path / "no" / "such", error));
    EXPECT_NE(error.find("cannot open"), std::string::npos) << error;
}

// logrotate moves the file away; reopening puts the next frames in a new file under the name.
// A reopening that fails loses frames until one works, each counted.
TEST(KissFileWriterTest, ReopenAfterTheFileWasMoved) {
    const auto dir = std::filesystem::path(::testing::TempDir()) / "kiss_reopen_test";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const auto path = dir / "ao40.kiss", rotated = dir / "ao40.kiss.1";
    KissFileWriter w({.timestamps = true});
    std::string error;
    ASSERT_TRUE(w.Open(path, error)) << error;
    ASSERT_TRUE(w.Write(test::Received(test::ForwardBlock(1))));
    std::filesystem::rename(path, rotated);
    ASSERT_TRUE(w.Write(test::Received(test::ForwardBlock(2))));  // still into the moved file
    ASSERT_TRUE(w.Reopen(error)) << error;
    ASSERT_TRUE(w.Write(test::Received(test::ForwardBlock(3))));
    const auto numbers = [](const std::filesystem::path& p) {
        Collected c;
        c.deframer.Feed(ReadAll(p));
        std::vector<std::uint32_t> out;
        for (const auto& d : c.data) {
            EXPECT_TRUE(d.time.has_value());
            out.push_back(test::ForwardBlockNumber(d.bytes));
        }
        return out;
    };
    EXPECT_EQ(numbers(rotated), (std::vector<std::uint32_t>{1, 2}));
    EXPECT_EQ(numbers(path), (std::vector<std::uint32_t>{3}));

    std::filesystem::remove_all(dir);
    EXPECT_FALSE(w.Reopen(error));
    EXPECT_FALSE(w.Write(test::Received(test::ForwardBlock(4))));
    EXPECT_EQ(w.Failed(), 1U);
    EXPECT_NE(w.LastError().find("not open"), std::string::npos) << w.LastError();
}

}  // namespace
}  // namespace orv
