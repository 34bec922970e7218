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
    AudioSynthOptions synth;
    bool firstMayBeLost = false;  // the first block is cut (a late start, a gap inside it)
};

AudioSynthOptions Synth(double esNoDb = 13.0) {
    AudioSynthOptions o;
    o.levelDbfs = -20.0;
    o.esNoDb = esNoDb;  // every uncoded block and every FEC frame decodes from here up
    o.seed = 7;
    return o;
}

template <typename Change>
AudioSynthOptions Synth(Change change, double esNoDb = 13.0) {
    AudioSynthOptions o = Synth(esNoDb);
    change(o);
    return o;
}

// Idle, an uncoded block, an FEC frame, another uncoded block, idle: every block decodes to its
// bytes, from the threshold's margin up to no noise at all, under each impairment a station meets
// at a level it must bear. Starting in the middle of the first block, or losing samples inside
// it, costs that block only.
TEST(AudioDemodulator, DecodesBlocksAndFramesUnderImpairments) {
    const Impairment cases[] = {
        {"clean 48 kHz", Synth()},
        {"carrier 150 Hz high", Synth([](auto& o) { o.carrierHz = 1650.0; })},
        {"carrier 150 Hz low, drifting up 1 Hz/s", Synth([](auto& o) { o.carrierHz = 1350.0, o.driftHzPerSecond = 1.0; })},
        {"carrier 900 Hz high (receiver tuned by ear)", Synth([](auto& o) { o.carrierHz = 2400.0; })},
        {"symbol clock 200 ppm fast", Synth([](auto& o) { o.clockPpm = 200.0; })},
        {"symbol clock 200 ppm slow, drifting down 1 Hz/s", Synth([](auto& o) { o.driftHzPerSecond = -1.0, o.clockPpm = -200.0; })},
        {"8 kHz", Synth([](auto& o) { o.sampleRate = 8000.0; })},
        {"11.025 kHz, 150 Hz high", Synth([](auto& o) { o.sampleRate = 11025.0, o.carrierHz = 1650.0; })},
        {"44.1 kHz, 200 ppm", Synth([](auto& o) { o.sampleRate = 44100.0, o.clockPpm = 200.0; })},
        {"-40 dBFS", Synth([](auto& o) { o.levelDbfs = -40.0; })},
        {"near clipping", Synth([](auto& o) { o.sampleRate = 8000.0, o.levelDbfs = -1.0; }, 16.0)},
        {"start in the middle of a block", Synth([](auto& o) { o.startSymbol = 400 + 2000; }), true},
        {"inverted data", Synth([](auto& o) { o.inverted = true; })},
        {"no noise at all, through an SSB filter", Synth([](auto& o) { o.ssbFilter = true; }, INFINITY)},
        {"no noise at all, 8 kHz", Synth([](auto& o) { o.sampleRate = 8000.0; }, INFINITY)},
        {"no noise, full scale", Synth([](auto& o) { o.levelDbfs = 0.0; }, INFINITY)},
        {"no noise, clipped 6 dB beyond full scale", Synth([](auto& o) { o.levelDbfs = 6.0; }, INFINITY)},
        {"40 dB", Synth(40.0)},
        {"LNB phase noise 3 Hz", Synth([](auto& o) { o.phaseNoiseHz = 3.0; })},
        {"wander +-10 Hz over 20 s", Synth([](auto& o) { o.wanderHz = 10.0, o.wanderSeconds = 20.0; })},
        {"tone 20 dB stronger, 130 Hz off", Synth([](auto& o) { o.levelDbfs = -30.0, o.tones = {{130.0, 20.0}}; })},
        {"tone 20 dB stronger on the carrier, another 420 Hz below", Synth([](auto& o) { o.levelDbfs = -30.0, o.tones = {{0.0, 20.0}, {-420.0, 20.0}}; })},
        {"tone 20 dB stronger 800 Hz off", Synth([](auto& o) { o.levelDbfs = -30.0, o.tones = {{-800.0, 20.0}}; })},
        {"mains hum with 20 harmonics at the beacon's level", Synth([](auto& o) { o.humDb = 0.0, o.humHarmonics = 20; })},
        {"DC at the beacon's level", Synth([](auto& o) { o.dcDb = 0.0; })},
        {"receiver AGC pumping 4 dB", Synth([](auto& o) { o.agcPumpDb = 4.0, o.agcPumpHz = 2.0; })},
        {"sound card clock 150 ppm", Synth([](auto& o) { o.soundCardPpm = 150.0; })},
        {"33 ms of samples lost inside the first block", Synth([](auto& o) { o.gaps = {{5.0, 0.033}}; }), true},
        {"all at once: SSB filter, 0.5 Hz phase noise, wander, 150 ppm, hum, AGC, 70 Hz off",
         Synth([](auto& o) {
             o.ssbFilter = true, o.phaseNoiseHz = 0.5, o.wanderHz = 10.0, o.wanderSeconds = 60.0, o.soundCardPpm = 150.0;
             o.humDb = -10.0, o.humHarmonics = 5, o.agcPumpDb = 4.0, o.carrierHz = 1570.0;
         })},
    };
    const Block514 first = test::MakeBlock('A', 1);
    const Block514 second = test::MakeBlock('K', 2);
    const FecData data = test::MakeFecData(3);
    const Block514 rebuilt = ReconstructFecBlock(data);
    for (const Impairment& c : cases) {
        SCOPED_TRACE(c.name);
        AudioSynthesizer synth(c.synth);
        std::vector<float> audio;
        synth.AppendIdle(400, audio);
        synth.AppendUncodedBlock(first, audio);
        synth.AppendFecFrame(data, audio);
        synth.AppendUncodedBlock(second, audio);
        synth.AppendIdle(200, audio);

        std::vector<test::RecordedBlock> got = test::Receive(c.synth.sampleRate, audio);
        if (c.firstMayBeLost && got.size() == 3) got.erase(got.begin());
        ASSERT_EQ(got.size(), c.firstMayBeLost ? 2U : 3U);
        if (!c.firstMayBeLost) {
            EXPECT_EQ(got[0].Verdict(), "OK");
            EXPECT_TRUE(test::SameBytes(got[0].record, first));
        }
        const std::size_t skip = c.firstMayBeLost ? 1 : 0;
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
    const auto got = test::Receive(o.sampleRate, audio);
    ASSERT_EQ(got.size(), 1U);
    EXPECT_TRUE(test::SameBytes(got[0].record, ReconstructFecBlock(data)));
}

// A clean signal at full scale for 5 s, then a noisy recording at -20 dBFS in the same stream:
// nothing the clean part leaves behind keeps the noisy one from decoding as it does on its own.
TEST(AudioDemodulator, AfterACleanFullScaleSignalANoisyOneStillDecodes) {
    AudioSynthOptions clean = Synth(static_cast<double>(INFINITY));
    clean.levelDbfs = 0.0;
    std::vector<float> audio;
    AudioSynthesizer(clean).AppendIdle(2000, audio);
    AudioSynthOptions noisy = Synth(13.0);
    AudioSynthesizer synth(noisy);
    const Block514 block = test::MakeBlock('A', 4);
    const FecData data = test::MakeFecData(5);
    synth.AppendIdle(400, audio);
    synth.AppendUncodedBlock(block, audio);
    synth.AppendFecFrame(data, audio);
    synth.AppendIdle(200, audio);
    const auto got = test::Receive(noisy.sampleRate, audio);
    ASSERT_EQ(got.size(), 2U);
    EXPECT_TRUE(test::SameBytes(got[0].record, block));
    EXPECT_TRUE(test::SameBytes(got[1].record, ReconstructFecBlock(data)));
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
    EXPECT_NEAR(whole.EsNoDb(), 12.0, 1.0);
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

// The Es/N0 shown follows the signal from near the threshold up to a strong one, with the carrier
// where the audio's mirror image reaches it most (1500 Hz) and beside it; no noise reads high.
TEST(AudioDemodulator, EsNoFollowsTheSignalUpToNoNoise) {
    for (const double carrierHz : {1500.0, 1650.0}) {
        for (const double esNoDb : {4.0, 12.0, 20.0, 28.0, static_cast<double>(INFINITY)}) {
            SCOPED_TRACE(testing::Message() << carrierHz << " Hz, " << esNoDb << " dB");
            AudioSynthOptions o = Synth(esNoDb);
            o.sampleRate = 11025.0;
            o.carrierHz = carrierHz;
            const double shown = test::EsNoShown(o);
            if (std::isfinite(esNoDb)) EXPECT_NEAR(shown, esNoDb, 1.0);
            else EXPECT_GT(shown, 33.0);
        }
    }
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
