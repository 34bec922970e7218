#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/network_block_reader.h"
#include "net/wire.h"
#include "test_blocks.h"

namespace orv {
namespace {

using test::BlockCollector;
using test::Concat;
using test::NumberedBlock;
using Bytes = std::vector<std::uint8_t>;

const std::span<const std::uint8_t> kMarker(kNetworkSyncMarker);

Bytes Framed(const Block514& b) { return Concat({kMarker, b}); }

// Feeds a stream in reads of the given sizes (the last size repeats).
void FeedInReads(NetworkBlockReader& reader, std::span<const std::uint8_t> stream, std::vector<std::size_t> sizes) {
    std::size_t at = 0, k = 0;
    while (at < stream.size()) {
        const std::size_t n = std::min(sizes[std::min(k++, sizes.size() - 1)], stream.size() - at);
        reader.Read(stream.subspan(at, n));
        at += n;
    }
}

TEST(NetworkBlockReader, MarkerSplitOverTwoReadsAtAnyPointIsFound) {
    const Block514 block = NumberedBlock(1);
    const Bytes stream = Concat({Bytes{0x11, 0x22, 0x2F}, Framed(block)});
    for (std::size_t split = 0; split <= stream.size(); ++split) {
        BlockCollector sink;
        NetworkBlockReader reader(sink);
        reader.Read(std::span(stream).first(split));
        reader.Read(std::span(stream).subspan(split));
        ASSERT_EQ(sink.blocks.size(), 1U) << "split " << split;
        EXPECT_EQ(sink.blocks[0], Bytes(block.begin(), block.end())) << "split " << split;
    }
}

TEST(NetworkBlockReader, BytesOutsideAMarkerFramedRunAreIgnored) {
    const Block514 a = NumberedBlock(1), b = NumberedBlock(2);
    const Bytes partialMarker(kNetworkSyncMarker.begin(), kNetworkSyncMarker.end() - 1);
    const Bytes stream = Concat({
        Bytes{0x00, 0x60, 0x75},    // noise before anything
        partialMarker, Bytes{0x99}, // a marker cut short is not a marker
        Framed(a),
        Bytes(300, 0xAB),           // a server that sends more than a block: the rest is dropped
        partialMarker,              // and a marker whose start overlaps the garbage
        Framed(b),
        Bytes{0x2F, 0x8F},          // trailing bytes
    });
    for (std::size_t readSize : {std::size_t{1}, std::size_t{7}, std::size_t{600}}) {
        BlockCollector sink;
        NetworkBlockReader reader(sink);
        FeedInReads(reader, stream, {readSize});
        ASSERT_EQ(sink.blocks.size(), 2U) << readSize;
        EXPECT_EQ(sink.blocks[0], Bytes(a.begin(), a.end()));
        EXPECT_EQ(sink.blocks[1], Bytes(b.begin(), b.end()));
        EXPECT_FALSE(reader.Capturing());
    }
}

TEST(NetworkBlockReader, MarkerBytesInsideABlockDoNotRestartIt) {
    Block514 a = NumberedBlock(3);
    std::copy(kNetworkSyncMarker.begin(), kNetworkSyncMarker.end(), a.begin() + 100);
    std::copy(kNetworkSyncMarker.begin(), kNetworkSyncMarker.end(), a.begin() + 506);  // ends the block
    const Block514 b = NumberedBlock(4);
    const Bytes stream = Concat({Framed(a), Framed(b)});
    BlockCollector sink;
    NetworkBlockReader reader(sink);
    FeedInReads(reader, stream, {50});
    ASSERT_EQ(sink.blocks.size(), 2U);
    EXPECT_EQ(sink.blocks[0], Bytes(a.begin(), a.end()));
    EXPECT_EQ(sink.blocks[1], Bytes(b.begin(), b.end()));
}

TEST(NetworkBlockReader, HandsOnTheBlockBytesOfEachReadInOneCall) {
    const Block514 a = NumberedBlock(5), b = NumberedBlock(6);
    const Bytes stream = Concat({Framed(a), Framed(b)});  // 1044 bytes
    BlockCollector sink;
    NetworkBlockReader reader(sink);
    FeedInReads(reader, stream, {600, 444});
    // Read 1: marker + 514 bytes of a, then the marker of b and 70 bytes of b. Read 2: the rest of b.
    EXPECT_EQ(sink.callSizes, (std::vector<std::size_t>{514, 70, 444}));
}

TEST(NetworkBlockReader, LearnsTheServersModeFromTheSizeOfTheReadThatBringsByte513) {
    const Bytes stream = Framed(NumberedBlock(7));  // 522 bytes; byte 513 of the block is stream byte 520
    struct Case {
        const char* what;
        std::vector<std::size_t> reads;
        bool realTime;
    };
    const Case cases[] = {
        {"one 522-byte read (Full block)", {522}, false},
        {"small chunks (Real time)", {64}, true},
        {"a 500-byte read", {20, 500}, true},
        {"a 501-byte read", {20, 501}, false},
        {"byte 513 in a long read, byte 514 after it", {521, 1}, false},
        {"byte 513 in a short read after a long one", {520, 2}, true},
    };
    for (const Case& c : cases) {
        for (bool before : {true, false}) {
            BlockCollector sink;
            NetworkBlockReader reader(sink);
            // Start from the opposite mode by a first block, to see that each block sets the flag.
            FeedInReads(reader, stream, {before ? std::size_t{64} : std::size_t{522}});
            ASSERT_EQ(reader.ServerRealTime(), before);
            FeedInReads(reader, stream, c.reads);
            EXPECT_EQ(reader.ServerRealTime(), c.realTime) << c.what;
            EXPECT_EQ(sink.blocks.size(), 2U) << c.what;
        }
    }
}

TEST(NetworkBlockReader, ReportsTheLearntModeBeforeTheBlocksLastByte) {
    // A full-block read teaches "Full block" while that very block is still being delivered, so
    // the receiver already completes it in the new mode.
    struct Order : NetworkBlockSink {
        std::vector<std::string> calls;
        int bytes = 0;
        void SignalNetworkNewBlock() override { calls.push_back("marker"); }
        void ReceiveBlockBytes(std::span<const std::uint8_t> b) override {
            bytes += static_cast<int>(b.size());
            calls.push_back("bytes:" + std::to_string(bytes));
        }
        void ServerModeLearned(bool realTime) override { calls.push_back(realTime ? "mode:rt" : "mode:fb"); }
    } sink;
    NetworkBlockReader reader(sink);
    const Bytes frame = Framed(NumberedBlock(3));
    reader.Read(frame);
    EXPECT_EQ(sink.calls, (std::vector<std::string>{"marker", "mode:fb", "bytes:514"}));
}

TEST(NetworkBlockReader, ResetForgetsAHalfReceivedBlockAndAHalfSeenMarker) {
    const Block514 a = NumberedBlock(8), b = NumberedBlock(9);
    BlockCollector sink;
    NetworkBlockReader reader(sink);
    const Bytes first = Framed(a);
    reader.Read(std::span(first).first(200));
    EXPECT_TRUE(reader.Capturing());
    EXPECT_EQ(reader.CapturedBytes(), 192);
    reader.Reset();
    reader.Read(kMarker.first(4));
    reader.Reset();
    // The rest of the old block and the second half of the marker are bytes outside a run.
    reader.Read(std::span(first).subspan(200));
    reader.Read(kMarker.subspan(4));
    EXPECT_EQ(sink.blocks.size(), 1U);
    const Bytes second = Framed(b);
    reader.Read(second);
    ASSERT_EQ(sink.blocks.size(), 2U);
    EXPECT_EQ(sink.blocks[1], Bytes(b.begin(), b.end()));
}

}  // namespace
}  // namespace orv
