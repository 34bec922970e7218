// KISS framing: escaping, and deframing of streams cut anywhere.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "forward/kiss.h"
#include "forward/kiss_file_writer.h"
#include "forward_blocks.h"

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
}

struct Collected {
    std::vector<Bytes> blocks;
    KissBlockDeframer deframer{[this](std::span<const std::uint8_t> b) { blocks.emplace_back(b.begin(), b.end()); }};
};

Bytes Frames(std::initializer_list<Block514> blocks) {
    Bytes out;
    for (const auto& b : blocks) AppendKissFrame(out, b);
    return out;
}

TEST(KissDeframerTest, AnyChunkSplitGivesTheSameBlocks) {
    const Block514 a = test::ForwardBlock(1), b = test::ForwardBlock(2, 'E');
    Block512 bare{};
    std::copy_n(a.begin(), 512, bare.begin());
    Bytes stream = Frames({a, b});
    AppendKissFrame(stream, bare);
    for (const std::size_t chunk : {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{7}, std::size_t{513},
                                    std::size_t{1030}, stream.size()}) {
        Collected c;
        for (std::size_t at = 0; at < stream.size(); at += chunk)
            c.deframer.Feed(std::span(stream).subspan(at, std::min(chunk, stream.size() - at)));
        ASSERT_EQ(c.blocks.size(), 3U) << "chunk " << chunk;
        EXPECT_EQ(c.blocks[0], Bytes(a.begin(), a.end()));
        EXPECT_EQ(c.blocks[1], Bytes(b.begin(), b.end()));
        EXPECT_EQ(c.blocks[2], Bytes(bare.begin(), bare.end()));
        EXPECT_EQ(c.deframer.Skips().Total(), 0U);
    }
}

TEST(KissDeframerTest, SkipsAndCountsWhatIsNotABlock) {
    const Block514 a = test::ForwardBlock(3);
    Bytes stream = {0x12, 0x34, 0xC0};                 // the tail of a frame joined mid-way
    AppendKissFrame(stream, Bytes(100, 0x55));         // wrong size
    stream.insert(stream.end(), {0xC0, 0x01, 0x20, 0xC0});  // TX delay command
    stream.insert(stream.end(), {0xC0, 0xFF, 0xC0});        // return from KISS
    stream.insert(stream.end(), {0xC0, 0xC0, 0xC0});        // empty frames: nothing
    Bytes broken;
    AppendKissFrame(broken, a);
    broken[200] = 0xDB;  // FESC followed by an ordinary byte
    broken[201] = 0x41;
    stream.insert(stream.end(), broken.begin(), broken.end());
    AppendKissFrame(stream, Bytes(5000, 0x11));  // longer than the frame buffer: counted by true size
    AppendKissFrame(stream, a);
    AppendKissFrame(stream, a, 3);  // data on another port is data too

    Collected c;
    c.deframer.Feed(stream);
    ASSERT_EQ(c.blocks.size(), 2U);
    EXPECT_EQ(c.blocks[0], Bytes(a.begin(), a.end()));
    EXPECT_EQ(c.deframer.Blocks(), 2U);
    EXPECT_EQ(c.deframer.Skips().wrongSize, 2U);
    EXPECT_EQ(c.deframer.Skips().lastWrongSize, 5000U);
    EXPECT_EQ(c.deframer.Skips().otherCommands, 2U);
    EXPECT_EQ(c.deframer.Skips().damaged, 1U);
    EXPECT_EQ(KissSkipsText(c.deframer.Skips()),
              "KISS input: skipped 2 frames of a size other than 512 or 514 bytes (the last 5000 bytes); "
              "2 frames not data; 1 frame with a broken escape");
    EXPECT_EQ(KissSkipsText(KissSkips{}), "");
}

TEST(KissDeframerTest, ResetDropsTheFrameInProgress) {
    const Block514 a = test::ForwardBlock(4), b = test::ForwardBlock(5);
    const Bytes first = Frames({a});
    Collected c;
    c.deframer.Feed(std::span(first).first(300));  // the link drops mid-frame
    c.deframer.Reset();
    const Bytes second = Frames({b});
    c.deframer.Feed(std::span(first).subspan(300));  // stale tail: no FEND seen yet on this stream
    c.deframer.Feed(second);
    ASSERT_EQ(c.blocks.size(), 1U);
    EXPECT_EQ(c.blocks[0], Bytes(b.begin(), b.end()));
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
    std::ifstream in(path, std::ios::binary);
    const Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Collected c;
    c.deframer.Feed(bytes);
    ASSERT_EQ(c.blocks.size(), 10U);
    for (std::size_t i = 0; i < 10; ++i) EXPECT_EQ(c.blocks[i], Bytes(blocks[i % 5].begin(), blocks[i % 5].end()));

    KissFileWriter bad;
    std::string error;
    EXPECT_FALSE(bad.Open(path / "no" / "such", error));
    EXPECT_NE(error.find("cannot open"), std::string::npos) << error;
}

}  // namespace
}  // namespace orv
