// The simulated ADC modem on the line: one sample per channel symbol at 400 a second, the
// transmissions back to back (A blocks as FEC frames, the others uncoded), in uneven pieces.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "sim/stream_pacer.h"
#include "memory_sink.h"
#include "reception/dates.h"

namespace orv::sim {
namespace {

constexpr std::int64_t kStart = 1796911200;  // 2026-12-10 14:00:00 UTC

SimOptions AdcOptions() {
    SimOptions o;
    o.modem = ModemType::Adc;
    o.baudRate = 9600;
    o.seed = 4;
    o.startUtc = kStart;
    return o;
}

std::string Text(const Block514& b, std::size_t at, std::size_t n) { return {b.begin() + at, b.begin() + at + n}; }

TEST(SimAdcStream, TransmissionsFollowEachOtherAtTheSampleRate) {
    for (double speed : {1.0, 10.0}) {
        SCOPED_TRACE(speed);
        PacedStream stream(AdcOptions(), speed);
        std::vector<ScheduledBlock> blocks;
        for (int i = 0; i < 12; ++i) blocks.push_back(stream.Schedule().Next());
        for (std::size_t i = 0; i < blocks.size(); ++i) {
            const SimBlock& b = blocks[i].block;
            const auto& chunks = blocks[i].chunks;
            ASSERT_EQ(b.fecFrame, b.Kind() == 'A');
            ASSERT_EQ(b.wire.size(), b.fecFrame ? 5200u : 32u + 8u * 514u);
            ASSERT_EQ(chunks.back().end, b.wire.size());
            for (std::size_t j = 1; j < chunks.size(); ++j) {
                ASSERT_EQ(chunks[j].begin, chunks[j - 1].end);
                ASSERT_LE(chunks[j].end - chunks[j].begin, 64u);
                // No pause anywhere: each piece takes exactly as long as its samples.
                ASSERT_NEAR(chunks[j].wallTime - chunks[j - 1].wallTime, (chunks[j].end - chunks[j].begin) / 400.0 / speed,
                            1e-6);
            }
            if (i == 0) continue;
            const SimBlock& previous = blocks[i - 1].block;
            ASSERT_NEAR(b.offset, previous.offset + previous.wire.size() / 400.0, 1e-6);
            ASSERT_NEAR(chunks.front().wallTime - blocks[i - 1].chunks.back().wallTime, chunks.front().end / 400.0 / speed,
                        1e-6);
        }
        // The spacecraft clock follows the air time; A blocks carry it in their telemetry too.
        for (const auto& s : blocks) {
            const SimBlock& b = s.block;
            ASSERT_EQ(b.utc, kStart + static_cast<std::int64_t>(std::floor(b.offset)));
            if (b.Kind() != 'A') continue;
            const DateTime t = BreakDownSeconds(b.utc);
            char time[16];
            std::snprintf(time, sizeof time, "%02d:%02d:%02d", t.hour, t.minute, t.second);
            ASSERT_EQ(Text(b.block, 48, 8), time);
            EXPECT_EQ(b.block[0x1A9], t.second);
            EXPECT_EQ(b.block[0x1AA], t.minute);
            EXPECT_EQ(b.block[0x1AB], t.hour);
            EXPECT_EQ(b.block[0x1AC] + 256 * b.block[0x1AD], DayNumber(t.year, t.month, t.day) - kAmsatDayZero);
        }
    }
}

TEST(SimAdcStream, IdleSamplesFollowTheLastBlock) {
    // Without a sample after it, the station would never see the last FEC frame end.
    PacedStream stream(AdcOptions(), 1000);
    test::MemorySink paced;
    StopSignal stop;
    const StreamReport report = PaceStream(stream.Schedule(), paced, 2, stop);
    ASSERT_EQ(report.blocks, 2);
    EXPECT_EQ(report.Summary(), "2 blocks (A 2), 2 as FEC frames");
    TelemetryGenerator twin(AdcOptions());
    test::MemorySink written;
    WriteStream(twin, written, 2, stop);
    EXPECT_EQ(paced.bytes.size(), 2u * 5200u + kAdcClosingSamples);
    EXPECT_EQ(paced.bytes, written.bytes);
}

}  // namespace
}  // namespace orv::sim
