// The IQ receiver on recordings in every format the field writes: the beacon a few kHz off the
// operator's offset, drifting, under an rtl-sdr's DC spike and noise, decoded to the same blocks;
// and the SigMF metadata it reads.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "iq/iq_receiver.h"
#include "iq/iq_source.h"
#include "iq/sigmf_meta.h"
#include "iq_test_util.h"

namespace orv {
namespace {

namespace fs = std::filesystem;

struct TempDir {
    fs::path path = fs::temp_directory_path() /
                    ("orv_iq_" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    TempDir() { fs::create_directories(path); }
    ~TempDir() { fs::remove_all(path); }
    std::string operator/(const std::string& name) const { return (path / name).string(); }
};

// What the receiver logs from a recording opened as orv-cli iq opens it.
std::string Decode(const std::string& path, const IqFileHints& hints, double offsetHz, double& beaconHz) {
    std::string error;
    auto source = OpenIqRecording(path, hints, error);
    EXPECT_NE(source, nullptr) << error;
    if (!source) return {};
    IqReceiver receiver({.sampleRate = source->SampleRate(), .offsetHz = offsetHz, .searchHz = 5000.0});
    test::ReceivingStation station;
    std::vector<std::complex<float>> samples(50000);
    std::vector<std::uint8_t> bytes;
    while (const std::size_t n = source->Read(samples)) {
        receiver.Process(std::span(samples).first(n), bytes);
        station.Feed(bytes);
        bytes.clear();
        if (receiver.Demodulator().Locked()) beaconHz = receiver.BeaconHz().value_or(0.0);
    }
    EXPECT_EQ(source->Error(), "");
    receiver.Flush(bytes);
    station.Feed(bytes);
    std::string log;
    for (const auto& b : station.Blocks()) log.append(reinterpret_cast<const char*>(b.record.data()), kTelemetryBytes);
    return log;
}

TEST(IqReceiver, DecodesTheBeaconFromEveryFormatWhereverItIsInTheSearchedBand) {
    TempDir dir;
    constexpr double kRate = 96000.0;
    const struct {
        const char* name;
        IqFormat format;
        const char* file;  // how it is written: raw, SigMF, WAV
        double offsetHz;   // where the operator believes the beacon is
        double beaconHz;   // where it is at the start
        double drift;      // Hz per second
        int lead = 300;    // idle symbols before the first block
    } cases[] = {
        // At the centre the DC spike lies in the searched band, beside the beacon.
        {"cu8 beside the DC spike", IqFormat::Cu8, "raw", 0.0, 3300.0, 2.0},
        {"cs8", IqFormat::Cs8, "raw", -12000.0, -12000.0 - 4200.0, -1.5},
        {"cs16", IqFormat::Cs16, "raw", 20000.0, 20000.0 + 4700.0, 0.0},
        {"cf32", IqFormat::Cf32, "raw", 0.0, -2500.0, 3.0},
        {"SigMF ci16_le", IqFormat::Cs16, "sigmf", 15000.0, 11000.0, 1.0},
        // 470 Hz in the recording, beyond the demodulator's own +-300 Hz: the mixer follows. The
        // demodulator needs a few seconds to lock onto a carrier that moves this fast.
        {"SigMF cu8, a fast-drifting LNB", IqFormat::Cu8, "sigmf", 0.0, -1000.0, 12.0, 1600},
        {"2-channel WAV", IqFormat::Cs16, "wav", -8000.0, -8000.0 + 1800.0, -2.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const IqSynthOptions o{
            .sampleRate = kRate, .beaconHz = c.beaconHz, .driftHzPerSecond = c.drift, .esNoDb = 14.0,
            .noiseDbfs = -14.0, .dcLevel = c.format == IqFormat::Cu8 ? 0.03 : 0.01,
            .seed = static_cast<std::uint64_t>(&c - cases) + 7
        };
        const test::BeaconRecording recording(o, c.lead);
        std::string path;
        IqFileHints hints;
        if (std::string(c.file) == "raw") {
            path = dir / "rec.iq";
            test::WriteRawIq(path, c.format, recording.samples);
            hints = {c.format, kRate};
        } else if (std::string(c.file) == "sigmf") {
            test::WriteSigmf(dir / "rec", c.format, c.format == IqFormat::Cu8 ? "cu8" : "ci16_le", kRate, 739.75e6,
                             recording.samples);
            path = dir / "rec.sigmf-meta";
        } else {
            path = dir / "rec.wav";
            ASSERT_TRUE(test::WriteIqWav(path, static_cast<int>(kRate), recording.samples));
        }
        double beaconHz = 0.0;
        const std::string log = Decode(path, hints, c.offsetHz, beaconHz);
        EXPECT_EQ(log.size(), 3 * kTelemetryBytes);
        EXPECT_TRUE(log == recording.ExpectedLog());
        // Where it was last heard: the start plus its drift over the recording (35 s).
        const double seconds = static_cast<double>(recording.samples.size()) / kRate;
        EXPECT_NEAR(beaconHz, c.beaconHz + c.drift * seconds, 5.0 + std::abs(c.drift) * 2.0);
    }
}

TEST(IqReceiver, FindsNothingInNoiseAndTheDcSpikeAlone) {
    const IqSynthOptions o{.sampleRate = 48000.0, .esNoDb = 14.0, .dcLevel = 0.05};
    IqSynthesizer synth(o);
    std::vector<std::complex<float>> samples;
    synth.AppendSilence(20.0, samples);
    IqReceiver receiver({.sampleRate = 48000.0, .offsetHz = 0.0, .searchHz = 5000.0});
    std::vector<std::uint8_t> bytes;
    receiver.Process(samples, bytes);
    EXPECT_FALSE(receiver.BeaconHz().has_value());
    EXPECT_FALSE(receiver.Demodulator().Locked());
}

TEST(IqReceiver, RefusesABandThatDoesNotFit) {
    const struct {
        IqReceiverOptions options;
        const char* problem;
    } cases[] = {
        {{.sampleRate = 20000.0}, "sample rate 20000 Hz is outside 32000..20000000 Hz"},
        {{.sampleRate = 32000.0, .searchHz = 10000.0}, "sample rate 32000 Hz is too low to search +-10000 Hz (it needs 40000 Hz)"},
        {{.sampleRate = 48000.0, .offsetHz = 20000.0},
         "offset 20000 Hz: the band searched (+-5000 Hz around it) does not fit within +-24000 Hz of the centre"},
        {{.sampleRate = 1024000.0, .searchHz = 60000.0}, "search range 60000 Hz is outside 100..50000 Hz"},
    };
    for (const auto& c : cases) EXPECT_EQ(IqReceiver::ProblemWith(c.options).value_or("fits"), c.problem);
    EXPECT_FALSE(IqReceiver::ProblemWith({.sampleRate = 2.4e6, .offsetHz = -250000.0}).has_value());
}

TEST(SigmfMeta, ReadsTheFieldsOfTheSpecAndSaysWhatIsMissing) {
    const struct {
        const char* json;
        std::optional<IqFormat> format;  // nothing: refused
        double rate;
        std::optional<double> centre;
        const char* error;
    } cases[] = {
        {R"({"global":{"core:datatype":"cf32_le","core:sample_rate":2.4e6},"captures":[{"core:frequency":739750000}]})",
         IqFormat::Cf32, 2.4e6, 739750000.0, ""},
        {R"({"global": {"core:datatype": "ci8", "core:sample_rate": 250000}, "captures": []})", IqFormat::Cs8, 250000.0,
         std::nullopt, ""},
        {R"({"global":{"core:datatype":"rf32_le","core:sample_rate":48000}})", std::nullopt, 0, std::nullopt,
         "SigMF datatype \"rf32_le\" is not one that can be read (cf32_le, ci16_le, cu8, ci8)"},
        {R"({"global":{"core:datatype":"cu8"}})", std::nullopt, 0, std::nullopt, "the SigMF metadata give no core:sample_rate"},
        {R"({"global":{"core:datatype":"cu8","core:sample_rate":-5}})", std::nullopt, 0, std::nullopt, "the SigMF metadata give no core:sample_rate"},
        {R"({"global":{"core:sample_rate":1e6}})", std::nullopt, 0, std::nullopt, "the SigMF metadata give no core:datatype"},
        {R"({"global":{"core:datatype":"cu8","core:sample_rate":1e6})", std::nullopt, 0, std::nullopt, "not a SigMF metadata file (no JSON object)"},
        {"[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[]]", std::nullopt, 0, std::nullopt,
         "not a SigMF metadata file (no JSON object)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.json);
        std::string error;
        const auto meta = ParseSigmfMeta(c.json, error);
        ASSERT_EQ(meta.has_value(), c.format.has_value()) << error;
        EXPECT_EQ(error, c.error);
        if (!meta) continue;
        EXPECT_EQ(meta->format, *c.format);
        EXPECT_EQ(meta->sampleRate, c.rate);
        EXPECT_EQ(meta->centreHz, c.centre);
    }
}

}  // namespace
}  // namespace orv
