// ADC reception: the whole road from synthesized demodulator bytes to received blocks, the FEC
// decoder's figures and the FEC log.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "block_recorder.h"
#include "fec/adc_synth.h"
#include "fec/fec_block.h"
#include "fec_test_util.h"
#include "pipeline/reception_pipeline.h"
#include "sealed_block.h"
#include "temp_dir.h"

namespace orv {
namespace {

// A station in ADC mode keeping every block it completes.
struct StationFixture {
    StationFixture() {
        station.SetModemType(ModemType::Adc);
        pipeline.AddSink(recorder);
    }
    // Reads of 400 bytes, one clock second apart, as the serial port delivers them.
    void Feed(const std::vector<std::uint8_t>& stream) {
        for (std::size_t i = 0; i < stream.size(); i += 400) {
            pipeline.AdcSamples(std::span<const std::uint8_t>(stream).subspan(i, std::min<std::size_t>(400, stream.size() - i)));
            clock.Advance(1);
        }
    }
    StationState station;
    ManualClock clock{1'000'000'000};
    test::BlockRecorder recorder;
    ReceptionPipeline pipeline{station, clock};
    AdcReception& adc = pipeline.Adc();
};

TEST(AdcReception, UncodedBlocksBackToBackAndFecFramesAreAllReceived) {
    AdcSynthOptions o;
    o.ebNoDb = 12.0;  // uncoded blocks need about 10 dB to pass their CRCC
    o.seed = 42;
    AdcSynthesizer synth(o);
    std::vector<std::uint8_t> stream;
    synth.AppendIdle(200, stream);
    const Block514 a = test::NumberedBlock(1, 'A');
    const Block514 k = test::NumberedBlock(2, 'K');
    const Block514 e = test::NumberedBlock(3, 'E');
    const FecData d1 = test::RandomData(41);
    const FecData d2 = test::RandomData(42);
    // Uncoded blocks follow each other behind their sync words only, 20 ms per byte.
    synth.AppendUncodedBlock(a, stream);
    synth.AppendUncodedBlock(k, stream);
    synth.AppendUncodedBlock(e, stream);
    synth.AppendFecFrame(d1, stream);
    synth.AppendFecFrame(d2, stream);
    synth.AppendIdle(10, stream);

    StationFixture s;
    s.Feed(stream);
    const auto& got = s.recorder.blocks;
    ASSERT_EQ(got.size(), 5U);
    const struct {
        char kind;
        bool fec;
    } expected[] = {{'A', false}, {'K', false}, {'E', false}, {'A', true}, {'A', true}};
    for (std::size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].Kind(), expected[i].kind) << i;
        EXPECT_EQ(got[i].verdict, CrccVerdict::Ok) << i;
        EXPECT_EQ(got[i].FromFec(), expected[i].fec) << i;
    }
    EXPECT_TRUE(std::equal(a.begin(), a.begin() + 512, got[0].record.begin()));
    EXPECT_TRUE(std::equal(k.begin(), k.begin() + 512, got[1].record.begin()));
    const Block514 r2 = ReconstructFecBlock(d2);
    EXPECT_TRUE(std::equal(r2.begin(), r2.begin() + 512, got[4].record.begin()));
    EXPECT_TRUE(s.adc.Status().Decoded());
}

TEST(AdcReception, FecFramesDecodeWhereUncodedBlocksFail) {
    AdcSynthOptions o;
    o.ebNoDb = 3.0;
    o.seed = 7;
    AdcSynthesizer synth(o);
    std::vector<std::uint8_t> stream;
    synth.AppendIdle(200, stream);
    for (std::uint32_t i = 0; i < 3; ++i) synth.AppendFecFrame(test::RandomData(60 + i), stream);
    synth.AppendIdle(10, stream);
    StationFixture s;
    s.Feed(stream);
    ASSERT_EQ(s.recorder.blocks.size(), 3U);
    for (const auto& b : s.recorder.blocks) {
        EXPECT_EQ(b.verdict, CrccVerdict::Ok);
        EXPECT_TRUE(b.FromFec());
    }
    // The figure measures the channel it came through, within the spread of one frame.
    EXPECT_NEAR(s.adc.Status().ebNoDb, 3.0F, 0.6F);
}

TEST(AdcReception, FecLogFollowsTheSetting) {
    const test::TempDir folder;
    const std::filesystem::path& dir = folder.path();
    AdcSynthOptions o;
    o.ebNoDb = 8.0;
    AdcSynthesizer synth(o);
    std::vector<std::uint8_t> stream;
    FecData d = test::RandomData(51);
    d[172] = 0x10;
    d[173] = 0x25;  // day 9488
    synth.AppendIdle(100, stream);
    synth.AppendFecFrame(d, stream);
    synth.AppendIdle(10, stream);

    StationFixture s;
    s.adc.SetFecLogDirectory(dir);
    s.Feed(stream);
    EXPECT_FALSE(std::filesystem::exists(dir / "9488_FEC.txt"));
    s.station.settings.logFec = true;
    s.Feed(stream);
    ASSERT_TRUE(std::filesystem::exists(dir / "9488_FEC.txt"));
    EXPECT_EQ(s.adc.LogState().lineCounter, 1);
    // The line carries the gain of the correlation that found the frame.
    std::ifstream in(dir / "9488_FEC.txt", std::ios::binary);
    std::string line;
    for (int i = 0; i < 4; ++i) std::getline(in, line);
    EXPECT_GT(std::stof(line.substr(27, 4)), kFecSyncThreshold) << line;
}

}  // namespace
}  // namespace orv
