// The ADC sample path: detection, both correlators, block capture, FEC detection, and the whole
// road from synthesized demodulator bytes to received blocks.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "fec/adc_sample_path.h"
#include "fec/adc_synth.h"
#include "fec/fec_block.h"
#include "fec_test_util.h"
#include "sealed_block.h"
#include "temp_dir.h"

namespace orv {
namespace {

struct Recorder : AdcPathCallouts {
    std::vector<std::string> events;
    std::vector<std::uint8_t> bytes;
    std::vector<FecFrame> frames;
    std::vector<float> means;
    int refreshes = 0;

    void RestartAtSync() override { events.push_back("sync@" + std::to_string(bytes.size())); }
    void ReceiveByte(std::uint8_t b) override { bytes.push_back(b); }
    void DecodeFrame(std::span<const SoftSymbol, kFecFrameSymbols> f) override {
        FecFrame copy;
        std::copy(f.begin(), f.end(), copy.begin());
        frames.push_back(copy);
        events.push_back("frame");
    }
    void RefreshStatistics() override {
        ++refreshes;
        events.push_back("stats");
    }
    void ShowMeanRawValue(float m) override { means.push_back(m); }
};

struct PathFixture {
    explicit PathFixture(AdcSamplePath::Correlators c = AdcSamplePath::Correlators::Fast) : path(status, rec, c) {}
    FecStatus status;
    Recorder rec;
    AdcSamplePath path;
    void Feed(const std::vector<std::uint8_t>& v) { path.ProcessAdcBytes(v); }
    SoftSymbol Symbol(int samplesAgo) const {
        return path.Ring()[static_cast<std::size_t>((path.RingIndex() - 1 - samplesAgo) & 0x1FFF)];
    }
};

AdcSynthesizer NoiselessSynth() {
    AdcSynthOptions o;
    o.ebNoDb = std::numeric_limits<double>::infinity();
    return AdcSynthesizer(o);
}

TEST(AdcPath, DifferentialDetection) {
    const struct {
        std::vector<std::uint8_t> bytes;
        SoftSymbol last;
    } cases[] = {
        {{128, 128, 128}, 128},  // no signal: every product 0, stored as 128 (a hard 1)
        {{0, 255}, 255},         // c = 190.5 after -192: d = 36576, v = 285 clamped to 127
        {{255, 255}, 0},         // no reversal at full scale: v clamped to -128
        {{129, 129}, 127},       // d = -2.25 truncated to -2, shifted arithmetically to -1
        {{200, 56}, 128 + 91},   // reversal: c = 108 then -108: d = 11664, v = 91
        {{200, 200}, 128 - 92},  // no reversal: d = -11664, floor(-91.1) = -92
    };
    for (const auto& c : cases) {
        PathFixture f;
        f.Feed(c.bytes);
        EXPECT_EQ(f.Symbol(0), c.last);
    }
    // The first sample follows a previous value of 0.
    PathFixture f;
    f.Feed({0});
    EXPECT_EQ(f.Symbol(0), 128);
}

TEST(AdcPath, AllZeroRingGivesZeroGainWithoutDivisionByZero) {
    PathFixture f;
    f.Feed(std::vector<std::uint8_t>(6000, 128));  // every symbol 128, signed 0
    EXPECT_EQ(f.status.syncGain, 0.0F);
    EXPECT_TRUE(f.rec.events.empty() || f.rec.events.front() == "stats");
    EXPECT_TRUE(f.rec.frames.empty());
}

TEST(AdcPath, UncodedBlockIsCapturedAfterTheSyncWordAndFedByteByByte) {
    AdcSynthesizer synth = NoiselessSynth();
    std::vector<std::uint8_t> stream;
    synth.AppendIdle(300, stream);
    const Block514 block = test::NumberedBlock(3, 'A');
    synth.AppendUncodedBlock(block, stream);
    PathFixture f;
    // Up to the last sample of the sync word nothing is captured; the sync sample itself is not.
    const std::size_t syncEnd = 300 + 32;
    f.Feed(std::vector<std::uint8_t>(stream.begin(), stream.begin() + syncEnd));
    EXPECT_TRUE(f.path.Capturing());
    EXPECT_GT(f.status.syncGain, kBlockSyncThreshold);
    EXPECT_EQ(f.rec.events, std::vector<std::string>{"sync@0"});
    f.Feed(std::vector<std::uint8_t>(stream.begin() + syncEnd, stream.begin() + syncEnd + 7));
    EXPECT_TRUE(f.rec.bytes.empty());
    f.Feed(std::vector<std::uint8_t>(stream.begin() + syncEnd + 7, stream.end()));
    EXPECT_FALSE(f.path.Capturing());
    ASSERT_EQ(f.rec.bytes.size(), 514U);
    EXPECT_TRUE(std::equal(block.begin(), block.end(), f.rec.bytes.begin()));
}

TEST(AdcPath, BlockSyncGainUsesK31) {
    // A perfect match with symbols of equal magnitude a: C = 32a, E = 1 + 32a^2,
    // G = 32a / sqrt(E / 31).
    AdcSynthesizer synth = NoiselessSynth();
    std::vector<std::uint8_t> stream;
    synth.AppendIdle(100, stream);
    std::vector<std::uint8_t> sync;
    for (int b = 31; b >= 0; --b) sync.push_back(static_cast<std::uint8_t>((kBlockSyncWord >> b) & 1U));
    synth.AppendBits(sync, stream);
    PathFixture f;
    f.Feed(stream);
    // Amplitude 64: c = +-96, products 9216 / 128 = 72 exactly.
    const double a = 72.0;
    EXPECT_FLOAT_EQ(f.status.syncGain, static_cast<float>(32 * a / std::sqrt((1 + 32 * a * a) / 31)));
}

TEST(AdcPath, FecFrameIsHandedOverOnTheSampleAfterItsLastSymbol) {
    AdcSynthesizer synth = NoiselessSynth();
    const FecData data = test::RandomData(21);
    std::vector<std::uint8_t> stream;
    synth.AppendIdle(500, stream);
    synth.AppendFecFrame(data, stream);
    synth.AppendIdle(1, stream);
    PathFixture f;
    f.Feed(std::vector<std::uint8_t>(stream.begin(), stream.end() - 1));
    EXPECT_TRUE(f.rec.frames.empty());
    f.Feed({stream.back()});
    ASSERT_EQ(f.rec.frames.size(), 1U);
    std::array<std::uint8_t, kFecFrameSymbols> hard{};
    FecEncodeFrame(data, hard);
    for (std::size_t i = 0; i < hard.size(); ++i) ASSERT_EQ(HardBit(f.rec.frames[0][i]), hard[i] != 0) << i;
    // A perfect match of 65 equal symbols: G just under 65.
    EXPECT_GT(f.status.syncGain, 64.9F);
    EXPECT_LT(f.status.syncGain, 65.0F);
}

TEST(AdcPath, CaptureEndingOnTheSampleAfterAFrameStillFindsTheFrame) {
    // The block sync word overwrites frame symbols 1057..1088 so that the capture it starts ends
    // on the sample after the frame; the FEC correlator must run on that very sample.
    const FecData data = test::RandomData(22);
    std::array<std::uint8_t, kFecFrameSymbols> frame{};
    FecEncodeFrame(data, frame);
    for (int b = 0; b < 32; ++b) frame[static_cast<std::size_t>(1057 + b)] = static_cast<std::uint8_t>((kBlockSyncWord >> (31 - b)) & 1U);
    AdcSynthesizer synth = NoiselessSynth();
    std::vector<std::uint8_t> stream;
    synth.AppendIdle(500, stream);
    synth.AppendBits(frame, stream);
    synth.AppendIdle(1, stream);
    PathFixture f;
    f.Feed(stream);
    EXPECT_EQ(f.rec.bytes.size(), 514U);
    ASSERT_EQ(f.rec.frames.size(), 1U);
    FecStatus status;
    FecData out{};
    ASSERT_TRUE(DecodeFecFrame(f.rec.frames[0], status, out));
    EXPECT_EQ(out, data);
}

TEST(AdcPath, StatisticsEvery5400SamplesOutsideCapture) {
    PathFixture f;
    f.Feed(std::vector<std::uint8_t>(5399, 128));
    EXPECT_EQ(f.rec.refreshes, 0);
    f.Feed({128});
    EXPECT_EQ(f.rec.refreshes, 1);
    f.path.ResetStatisticsCounter();
    f.Feed(std::vector<std::uint8_t>(5399, 128));
    EXPECT_EQ(f.rec.refreshes, 1);
    f.Feed({128});
    EXPECT_EQ(f.rec.refreshes, 2);
    // A block capture holds the counter at zero (it leaves it at 1 after its last sample): the
    // sync word and 4112 captured samples bring no refresh, 5399 searching samples after them do.
    AdcSynthesizer synth = NoiselessSynth();
    std::vector<std::uint8_t> stream;
    synth.AppendUncodedBlock(test::NumberedBlock(1, 'E'), stream);
    f.Feed(stream);
    EXPECT_EQ(f.rec.refreshes, 2);
    f.Feed(std::vector<std::uint8_t>(5398, 128));
    EXPECT_EQ(f.rec.refreshes, 2);
    f.Feed({128});
    EXPECT_EQ(f.rec.refreshes, 3);
}

TEST(AdcPath, CalibrationMeanEvery400Samples) {
    PathFixture f;
    f.Feed(std::vector<std::uint8_t>(800, 200));
    EXPECT_TRUE(f.rec.means.empty());  // only while calibrating
    f.path.SetCalibrating(true);
    f.path.SetCalibrationDivisor(400);
    f.Feed(std::vector<std::uint8_t>(399, 200));
    EXPECT_TRUE(f.rec.means.empty());
    f.Feed({200});
    ASSERT_EQ(f.rec.means.size(), 1U);
    EXPECT_NEAR(f.rec.means[0], 200.0 * (1.0 - std::pow(1.0 - 1.0 / 400, 400)), 0.01);
    f.Feed(std::vector<std::uint8_t>(40000, 200));
    EXPECT_EQ(f.rec.means.size(), 101U);
    EXPECT_NEAR(f.path.CalibrationMean(), 200.0F, 0.01F);
}

// Random and synthesized streams through both correlator implementations: the same gain after
// every sample and the same call-outs.
TEST(AdcPath, FastCorrelatorsMatchTheReferenceSampleForSample) {
    std::vector<std::uint8_t> stream;
    std::mt19937 random(5);
    for (int i = 0; i < 9000; ++i) stream.push_back(static_cast<std::uint8_t>(random()));
    for (double ebNo : {12.0, 3.0, 0.0}) {
        AdcSynthOptions o;
        o.ebNoDb = ebNo;
        o.seed = static_cast<std::uint64_t>(ebNo) + 1;
        AdcSynthesizer synth(o);
        synth.AppendFecFrame(test::RandomData(31), stream);
        synth.AppendUncodedBlock(test::NumberedBlock(9, 'K'), stream);
        synth.AppendIdle(100, stream);
        synth.AppendFecFrame(test::RandomData(32), stream);
        synth.AppendIdle(100, stream);
    }
    PathFixture fast(AdcSamplePath::Correlators::Fast);
    PathFixture reference(AdcSamplePath::Correlators::Reference);
    for (std::size_t i = 0; i < stream.size(); ++i) {
        fast.Feed({stream[i]});
        reference.Feed({stream[i]});
        ASSERT_EQ(std::memcmp(&fast.status.syncGain, &reference.status.syncGain, sizeof(float)), 0) << "sample " << i;
    }
    EXPECT_EQ(fast.rec.events, reference.rec.events);
    EXPECT_EQ(fast.rec.bytes, reference.rec.bytes);
    EXPECT_EQ(fast.rec.frames, reference.rec.frames);
    EXPECT_GE(fast.rec.frames.size(), 4U);
}

}  // namespace
}  // namespace orv
