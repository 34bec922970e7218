// The stream on the line: the receiver, with its clock at the times the pieces arrive, cuts
// exactly the generated blocks out of it, in real time and faster.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "sim/stream_pacer.h"
#include "block_recorder.h"
#include "memory_sink.h"
#include "pipeline/reception_pipeline.h"

namespace orv::sim {
namespace {

constexpr std::int64_t kStart = 1796911200;  // 2026-12-10 14:00:00 UTC

SimOptions Options(ModemType modem, double failShare, int baud = 1200) {
    SimOptions o;
    o.modem = modem;
    o.failShare = failShare;
    o.seed = 3;
    o.startUtc = kStart;
    o.baudRate = baud;
    return o;
}

// What the receiver hands on: each complete block and its CRCC verdict.
struct Collector : BlockSink {
    std::vector<Block512> blocks;
    std::vector<std::string> labels;
    void TakeBlock(const ReceivedBlock& block) override {
        labels.emplace_back(VerdictText(block.verdict));
        Block512 b;
        std::copy_n(block.record.begin(), kTelemetryBytes, b.begin());
        blocks.push_back(b);
    }
};

// A station receiving with the clock at `phase` + the arrival time of each piece, in whole seconds.
struct Station514 {
    explicit Station514(ModemType modem, double phase) : phase_(phase) {
        station.SetModemType(modem);
        pipeline.AddSink(hooks);
    }
    void Feed(std::span<const std::uint8_t> bytes, double time) {
        clock.Set(static_cast<std::int64_t>(std::floor(1000.0 + phase_ + time)));
        pipeline.SerialBytes(bytes);
    }
    StationState station;
    ManualClock clock;
    Collector hooks;
    ReceptionPipeline pipeline{station, clock};

private:
    double phase_;
};

// What the receiver must make of a block that went over the line: the wire bytes with the
// failed mark on a damaged 514-byte block, and bit 7 of bytes 0 and 1 on every 512-byte block.
Block512 Received(const SimBlock& b, ModemType modem) {
    Block512 r;
    std::copy(b.wire.begin(), b.wire.begin() + 512, r.begin());
    if (modem == ModemType::Bytes512) {
        r[0] |= kFailedMark;
        r[1] |= kFailedMark;
    } else if (!b.intact) {
        r[0] |= kFailedMark;
    }
    return r;
}

std::string Label(const SimBlock& b, ModemType modem) {
    return modem == ModemType::Bytes512 ? "NA" : (b.intact ? "OK" : "FAIL");
}

TEST(SimStream, OutStreamThroughTheReceiverYieldsTheGeneratedBlocks) {
    for (ModemType modem : {ModemType::Bytes514, ModemType::Bytes512}) {
        const SimOptions o = Options(modem, 0.2);
        TelemetryGenerator gen(o);
        test::MemorySink file;
        StopSignal stop;
        std::vector<SimBlock> sent;
        const StreamReport report = WriteStream(gen, file, 60, stop, [&](const SimBlock& b) { sent.push_back(b); });
        ASSERT_EQ(report.blocks, 60);
        ASSERT_EQ(file.bytes.size(), 60u * static_cast<std::size_t>(BlockLength(modem)));

        // Feed the file's bytes as the line delivers them, the clock following the offsets.
        Station514 rx(modem, 0.0);
        SerialLine line(o.baudRate, 99);
        std::size_t at = 0;
        for (const SimBlock& b : sent) {
            for (const LineChunk& c : line.Split(b.wire.size()))
                rx.Feed(std::span(file.bytes).subspan(at + c.begin, c.end - c.begin), b.offset + c.offset);
            at += b.wire.size();
        }
        ASSERT_EQ(rx.hooks.blocks.size(), sent.size());
        int damaged = 0;
        for (std::size_t i = 0; i < sent.size(); ++i) {
            EXPECT_EQ(rx.hooks.blocks[i], Received(sent[i], modem)) << "block " << i;
            EXPECT_EQ(rx.hooks.labels[i], Label(sent[i], modem)) << "block " << i;
            damaged += sent[i].intact ? 0 : 1;
        }
        EXPECT_EQ(report.damaged, damaged);
        EXPECT_GT(damaged, 0);
    }
}

TEST(SimStream, FasterPacingKeepsThePauseTheReceiverNeeds) {
    struct Case {
        double speed;
        int baud;
    };
    for (const Case c : {Case{1, 1200}, Case{10, 1200}, Case{1000, 1200}, Case{1, 300}, Case{50, 115200}}) {
        const SimOptions o = Options(ModemType::Bytes514, 0.1, c.baud);
        PacedStream stream(o, c.speed);
        TelemetryGenerator twin(o);
        std::vector<ScheduledBlock> blocks;
        for (int i = 0; i < 40; ++i) blocks.push_back(stream.Schedule().Next());
        for (std::size_t i = 0; i < blocks.size(); ++i) {
            const auto& chunks = blocks[i].chunks;
            ASSERT_EQ(blocks[i].block.wire, twin.Next().wire);  // pacing does not change the content
            ASSERT_EQ(chunks.back().end, 514u);
            for (std::size_t j = 1; j < chunks.size(); ++j) {
                ASSERT_EQ(chunks[j].begin, chunks[j - 1].end);
                ASSERT_LE(chunks[j].wallTime - chunks[j - 1].wallTime, kMaxChunkSeconds + 1e-9);
            }
            if (i > 0) {
                ASSERT_GE(chunks.front().wallTime - blocks[i - 1].chunks.back().wallTime, kBlockPauseSeconds);
            }
            // In real time the line keeps the spacecraft's own timing.
            if (c.speed == 1) {
                ASSERT_NEAR(chunks.front().wallTime, blocks[i].block.offset + chunks.front().end / (c.baud / 10.0), 1e-6);
            }
        }
        // Whatever fraction of a second the reader's clock stands at, every block comes out whole.
        for (double phase : {0.0, 0.3, 0.7, 0.99}) {
            SCOPED_TRACE(phase);
            Station514 rx(ModemType::Bytes514, phase);
            for (const auto& b : blocks)
                for (const auto& ch : b.chunks)
                    rx.Feed(std::span(b.block.wire).subspan(ch.begin, ch.end - ch.begin), ch.wallTime);
            ASSERT_EQ(rx.hooks.blocks.size(), blocks.size());
            for (std::size_t i = 0; i < blocks.size(); ++i)
                ASSERT_EQ(rx.hooks.blocks[i], Received(blocks[i].block, ModemType::Bytes514)) << "block " << i;
        }
    }
}

TEST(SimStream, ReportCountsKinds) {
    StreamReport r;
    SimBlock a, k;
    a.block[0] = 'A';
    k.block[0] = 'K';
    k.intact = false;
    r.Count(a);
    r.Count(a);
    r.Count(k);
    EXPECT_EQ(r.Summary(), "3 blocks (A 2, K 1), 1 damaged");
}

}  // namespace
}  // namespace orv::sim
