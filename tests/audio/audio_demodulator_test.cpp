// The audio demodulator in front of the unchanged ADC path: decoded block bytes under the
// impairments a station meets, streaming, the operator's figures and bad options.
#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <random>
#include <stdexcept>

#include "audio_test_util.h"

namespace orv {
namespace {

struct Impairment {
    const char* name;
    double sampleRate = 48000.0;
    double carrierHz = 1500.0;
    double driftHzPerSecond = 0.0;
    double clockPpm = 0.0;
    double levelDbfs = -20.0;
    double esNoDb = 13.0;  // every uncoded block and every FEC frame decodes from here up
    bool inverted = false;
    bool startMidBlock = false;
};

// Idle, an uncoded block, an FEC frame, another uncoded block, idle. Starting in the middle of
// the first block loses that block only.
TEST(AudioDemodulator, DecodesBlocksAndFramesUnderImpairments) {
    const Impairment cases[] = {
        {.name = "clean 48 kHz"},
        {.name = "carrier 150 Hz high", .carrierHz = 1650.0},
        {.name = "carrier 150 Hz low, drifting up 1 Hz/s", .carrierHz = 1350.0, .driftHzPerSecond = 1.0},
        {.name = "symbol clock 200 ppm fast", .clockPpm = 200.0},
        {.name = "symbol clock 200 ppm slow, drifting down 1 Hz/s", .driftHzPerSecond = -1.0, .clockPpm = -200.0},
        {.name = "8 kHz", .sampleRate = 8000.0},
        {.name = "11.025 kHz, 150 Hz high", .sampleRate = 11025.0, .carrierHz = 1650.0},
        {.name = "44.1 kHz, 200 ppm", .sampleRate = 44100.0, .clockPpm = 200.0},
        {.name = "-40 dBFS", .levelDbfs = -40.0},
        {.name = "near clipping", .sampleRate = 8000.0, .levelDbfs = -1.0, .esNoDb = 16.0},
        {.name = "start in the middle of a block", .startMidBlock = true},
        {.name = "inverted data", .inverted = true},
    };
    const Block514 first = test::MakeBlock('A', 1);
    const Block514 second = test::MakeBlock('K', 2);
    const FecData data = test::MakeFecData(3);
    const Block514 rebuilt = ReconstructFecBlock(data);
    for (const Impairment& c : cases) {
        SCOPED_TRACE(c.name);
        AudioSynthOptions o;
        o.sampleRate = c.sampleRate;
        o.carrierHz = c.carrierHz;
        o.driftHzPerSecond = c.driftHzPerSecond;
        o.clockPpm = c.clockPpm;
        o.levelDbfs = c.levelDbfs;
        o.esNoDb = c.esNoDb;
        o.inverted = c.inverted;
        o.startSymbol = c.startMidBlock ? 400 + 2000 : 0;
        o.seed = 7;
        AudioSynthesizer synth(o);
        std::vector<float> audio;
        synth.AppendIdle(400, audio);
        synth.AppendUncodedBlock(first, audio);
        synth.AppendFecFrame(data, audio);
        synth.AppendUncodedBlock(second, audio);
        synth.AppendIdle(200, audio);

        AudioDemodOptions d;
        d.sampleRate = c.sampleRate;
        test::ReceivingStation station;
        station.Feed(test::Demodulate(d, audio));
        const auto& got = station.Blocks();
        const std::size_t skip = c.startMidBlock ? 1 : 0;
        ASSERT_EQ(got.size(), 3 - skip);
        if (!c.startMidBlock) {
            EXPECT_EQ(got[0].Verdict(), "OK");
            EXPECT_TRUE(test::SameBytes(got[0].record, first));
        }
        EXPECT_TRUE(got[1 - skip].FromFec());
        EXPECT_TRUE(test::SameBytes(got[1 - skip].record, rebuilt));
        EXPECT_EQ(got[2 - skip].Verdict(), "OK");
        EXPECT_FALSE(got[2 - skip].FromFec());
        EXPECT_TRUE(test::SameBytes(got[2 - skip].record, second));
    }
}

// The carrier appears after 3 s of noise, far from where the loop starts, and vanishes again:
// the search finds it and nothing is lost; a tail of noise does not break what was decoded.
TEST(AudioDemodulator, FindsACarrierThatAppearsAfterNoise) {
    AudioSynthOptions o;
    o.sampleRate = 11025.0;
    o.carrierHz = 1500.0 + 280.0;
    o.esNoDb = 13.0;
    AudioSynthesizer synth(o);
    std::vector<float> audio;
    synth.AppendSilence(3.0, audio);
    synth.AppendIdle(100, audio);
    const FecData data = test::MakeFecData(11);
    synth.AppendFecFrame(data, audio);
    synth.AppendSilence(2.0, audio);
    AudioDemodOptions d;
    d.sampleRate = o.sampleRate;
    test::ReceivingStation station;
    station.Feed(test::Demodulate(d, audio));
    ASSERT_EQ(station.Blocks().size(), 1U);
    EXPECT_TRUE(test::SameBytes(station.Blocks()[0].record, ReconstructFecBlock(data)));
}

// Chunks of any size give exactly the bytes of one call; the figures an operator reads are right.
TEST(AudioDemodulator, StreamsInAnyChunksAndReportsCarrierLevelAndSymbols) {
    AudioSynthOptions o;
    o.sampleRate = 22050.0;
    o.carrierHz = 1612.0;
    o.esNoDb = 12.0;
    AudioSynthesizer synth(o);
    std::vector<float> audio;
    synth.AppendIdle(3000, audio);

    AudioDemodOptions d;
    d.sampleRate = o.sampleRate;
    AudioDemodulator whole(d);
    std::vector<std::uint8_t> once;
    whole.Process(audio, once);
    EXPECT_TRUE(whole.Locked());
    EXPECT_NEAR(whole.CarrierHz(), 1612.0, 0.5);
    EXPECT_NEAR(whole.EsNoDb(), 12.0, 2.0);
    const auto symbols = whole.RecentSymbols();
    ASSERT_EQ(symbols.size(), 256U);
    for (const auto& s : symbols) {
        EXPECT_NEAR(std::abs(s.real()), 1.0, 0.8);
        EXPECT_LT(std::abs(s.imag()), 0.8);
    }
    // The spectrum: the Manchester signal's two lobes, 300 Hz either side of the carrier, stand
    // above the noise 1.3 kHz away (mean power over 100 Hz), and the bins are where they say.
    const AudioSpectrum spectrum = whole.Spectrum(1500.0);
    ASSERT_FALSE(spectrum.powerDb.empty());
    EXPECT_NEAR(spectrum.firstHz + spectrum.stepHz * static_cast<double>(spectrum.powerDb.size() - 1) / 2.0, 1500.0, 1e-6);
    auto around = [&](double hz) {
        double sum = 0.0;
        int n = 0;
        for (std::size_t i = 0; i < spectrum.powerDb.size(); ++i) {
            if (std::abs(spectrum.firstHz + spectrum.stepHz * static_cast<double>(i) - hz) > 50.0) continue;
            sum += std::pow(10.0, spectrum.powerDb[i] / 10.0);
            ++n;
        }
        return 10.0 * std::log10(sum / n);
    };
    EXPECT_GT(around(1612.0 - 300.0), around(2900.0) + 6.0);
    EXPECT_GT(around(1612.0 + 300.0), around(2900.0) + 6.0);
    whole.Flush(once);
    EXPECT_TRUE(whole.Locked());  // the figures of the input just ended stay readable
    // After a flush the same input again gives the same bytes: a new start.
    std::vector<std::uint8_t> again;
    whole.Process(audio, again);
    whole.Flush(again);
    EXPECT_EQ(again, once);

    AudioDemodulator pieces(d);
    std::vector<std::uint8_t> chunked;
    std::mt19937 random(5);
    for (std::size_t at = 0; at < audio.size();) {
        const std::size_t n = std::min<std::size_t>(audio.size() - at, random() % 5000);
        pieces.Process(std::span<const float>(audio).subspan(at, n), chunked);
        at += n;
    }
    pieces.Flush(chunked);
    EXPECT_EQ(chunked, once);
    EXPECT_NEAR(static_cast<double>(once.size()), 3000.0, 4.0);
}

TEST(AudioDemodulator, RefusesOptionsThatCannotWork) {
    const struct {
        double rate, centre, search;
        const char* message;
    } cases[] = {
        {7999.0, 1500.0, 300.0, "sample rate 7999 Hz is outside 8000..192000 Hz"},
        {192001.0, 1500.0, 300.0, "sample rate 192001 Hz is outside 8000..192000 Hz"},
        {8000.0, 3500.0, 300.0, "centre frequency 3500 Hz: the signal would not fit between 0 Hz and half the sample rate (4000 Hz)"},
        {48000.0, 600.0, 300.0, "centre frequency 600 Hz: the signal would not fit between 0 Hz and half the sample rate (24000 Hz)"},
        {48000.0, 5000.0, 1600.0, "search range 1600 Hz is outside 0..1500 Hz"},
        {48000.0, 1200.0, 1500.0, "search range 1500 Hz around 1200 Hz goes beyond 0 Hz or half the sample rate (24000 Hz)"},
    };
    for (const auto& c : cases) {
        AudioDemodOptions o;
        o.sampleRate = c.rate;
        o.centreHz = c.centre;
        o.searchHz = c.search;
        EXPECT_EQ(AudioDemodulator::ProblemWith(o).value_or(""), c.message);
        EXPECT_THROW(AudioDemodulator{o}, std::invalid_argument);
    }
    EXPECT_FALSE(AudioDemodulator::ProblemWith(AudioDemodOptions{}).has_value());
}

}  // namespace
}  // namespace orv
