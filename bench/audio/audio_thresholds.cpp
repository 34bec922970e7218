// Decoding thresholds of the audio demodulator: the share of uncoded blocks with CRCC OK and of
// FEC frames decoded over Es/N0 per channel symbol, one column per impairment class a station
// meets, beside the ideal receiver that knows carrier and timing (the ADC synthesizer feeding the
// same ADC path); under each table the 50 % points. Prints Markdown.
// Run build/bench/audio/orv_audio_thresholds [trials per point, default 40].
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "audio_test_util.h"
#include "fec/adc_synth.h"

namespace orv {
namespace {

enum class Kind { Uncoded, Fec };

struct Column {
    const char* name;
    std::function<void(AudioSynthOptions&)> impair;  // empty: the ideal receiver
};

constexpr int kPerRecording = 4;
constexpr int kLeadSymbols = 200;
constexpr int kIdleSymbols = 20;

// Recordings of kPerRecording transmissions of one kind each, until `trials` were sent; the
// share that came through.
double Share(Kind kind, const Column& column, double esNoDb, int trials) {
    const int length = kind == Kind::Uncoded ? 32 + kUncodedBlockSymbols : static_cast<int>(kFecFrameSymbols);  // sync word and block
    int good = 0;
    for (int sent = 0, seed = 1; sent < trials; sent += kPerRecording, ++seed) {
        const int n = std::min(kPerRecording, trials - sent);
        auto transmit = [&](auto& synth, auto& out, int i) {
            const auto id = static_cast<std::uint32_t>(seed * 10 + i);
            if (kind == Kind::Uncoded) synth.AppendUncodedBlock(test::MakeBlock('A', id), out);
            else synth.AppendFecFrame(test::MakeFecData(id), out);
            synth.AppendIdle(kIdleSymbols, out);
        };
        std::vector<std::uint8_t> samples;
        if (!column.impair) {
            AdcSynthOptions o;
            o.ebNoDb = esNoDb;
            o.seed = static_cast<std::uint64_t>(seed);
            AdcSynthesizer synth(o);
            synth.AppendIdle(kLeadSymbols, samples);
            for (int i = 0; i < n; ++i) transmit(synth, samples, i);
            synth.AppendIdle(kLeadSymbols, samples);
        } else {
            AudioSynthOptions o;
            o.levelDbfs = -20.0;
            o.esNoDb = esNoDb;
            o.seed = static_cast<std::uint64_t>(seed);
            column.impair(o);
            // Gaps fall 5 ms into the idle after each transmission: the next one must decode.
            std::vector<AudioGap> gaps;
            for (const AudioGap& gap : o.gaps)
                for (int i = 0; i < n; ++i)
                    gaps.push_back({(kLeadSymbols + i * (length + kIdleSymbols) + length) / 400.0 + 0.005, gap.seconds});
            o.gaps = gaps;
            AudioSynthesizer synth(o);
            std::vector<float> audio;
            synth.AppendIdle(kLeadSymbols, audio);
            for (int i = 0; i < n; ++i) transmit(synth, audio, i);
            synth.AppendIdle(kLeadSymbols, audio);
            AudioDemodOptions d;
            d.sampleRate = o.sampleRate;
            samples = test::Demodulate(d, audio);
        }
        test::ReceivingStation station;
        station.Feed(samples);
        good += station.Count(kind == Kind::Fec, true);
    }
    return static_cast<double>(good) / trials;
}

// Where the share first reaches one half, interpolated between the points; NaN if it never does.
double HalfPoint(const std::vector<double>& points, const std::vector<double>& shares) {
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (shares[i] < 0.5) continue;
        if (i == 0) return points[0];
        return points[i - 1] + (0.5 - shares[i - 1]) / (shares[i] - shares[i - 1]) * (points[i] - points[i - 1]);
    }
    return NAN;
}

}  // namespace
}  // namespace orv

int main(int argc, char** argv) {
    using namespace orv;
    const int trials = argc > 1 ? std::max(4, std::atoi(argv[1])) : 40;
    const Column columns[] = {
        {"ideal receiver", {}},
        {"white noise, 48 kHz", [](AudioSynthOptions&) {}},
        {"SSB filter 300-2700 Hz, 11.025 kHz", [](AudioSynthOptions& o) { o.sampleRate = 11025.0, o.ssbFilter = true; }},
        {"150 Hz off, 1 Hz/s, +200 ppm, 8 kHz", [](AudioSynthOptions& o) { o.sampleRate = 8000.0, o.carrierHz = 1650.0, o.driftHzPerSecond = 1.0, o.clockPpm = 200.0; }},
        {"phase noise 1 Hz", [](AudioSynthOptions& o) { o.sampleRate = 11025.0, o.phaseNoiseHz = 1.0; }},
        {"phase noise 3 Hz", [](AudioSynthOptions& o) { o.sampleRate = 11025.0, o.phaseNoiseHz = 3.0; }},
        {"wander +-10 Hz / 60 s", [](AudioSynthOptions& o) { o.sampleRate = 11025.0, o.wanderHz = 10.0; }},
        {"tone +20 dB 130 Hz off", [](AudioSynthOptions& o) { o.sampleRate = 11025.0, o.levelDbfs = -30.0, o.tones = {{130.0, 20.0}}; }},
        {"tone +20 dB 420 Hz off", [](AudioSynthOptions& o) { o.sampleRate = 11025.0, o.levelDbfs = -30.0, o.tones = {{-420.0, 20.0}}; }},
        {"hum 0 dB, 20 harmonics", [](AudioSynthOptions& o) { o.sampleRate = 11025.0, o.humDb = 0.0, o.humHarmonics = 20; }},
        {"DC 0 dB", [](AudioSynthOptions& o) { o.sampleRate = 11025.0, o.dcDb = 0.0; }},
        {"AGC pumping 4 dB, 2 Hz", [](AudioSynthOptions& o) { o.sampleRate = 11025.0, o.agcPumpDb = 4.0, o.agcPumpHz = 2.0; }},
        {"30 ms gap after each", [](AudioSynthOptions& o) { o.sampleRate = 11025.0, o.gaps = {{0.0, 0.030}}; }},
        {"all at once", [](AudioSynthOptions& o) {
             o.sampleRate = 11025.0, o.ssbFilter = true, o.phaseNoiseHz = 0.5, o.wanderHz = 10.0, o.soundCardPpm = 150.0;
             o.humDb = -10.0, o.humHarmonics = 5, o.agcPumpDb = 4.0, o.carrierHz = 1570.0;
         }},
    };
    const struct {
        Kind kind;
        const char* title;
        std::vector<double> points;
    } sweeps[] = {
        {Kind::Uncoded, "uncoded blocks with CRCC OK", {7.5, 8.0, 8.5, 9.0, 9.5, 10.0, 11.0, 12.0, 13.0, 20.0, 30.0, 40.0, INFINITY}},
        {Kind::Fec, "FEC frames decoded", {0.0, 0.5, 1.0, 1.5, 2.0, 2.5, 3.0, 4.0, 20.0, 40.0, INFINITY}},
    };
    for (const auto& sweep : sweeps) {
        std::printf("\n%s, %d per point; Es/N0 per channel symbol in dB (inf: no noise)\n\n| Es/N0 |", sweep.title, trials);
        for (const Column& c : columns) std::printf(" %s |", c.name);
        std::printf("\n|---|");
        for (std::size_t i = 0; i < std::size(columns); ++i) std::printf("---|");
        std::printf("\n");
        std::vector<std::vector<double>> shares(std::size(columns));
        for (double p : sweep.points) {
            std::printf("| %.1f |", p);
            for (std::size_t c = 0; c < std::size(columns); ++c) {
                // The ideal receiver has no "no noise"; it is the same as 40 dB there.
                const double share = Share(sweep.kind, columns[c], columns[c].impair || std::isfinite(p) ? p : 99.0, trials);
                shares[c].push_back(share);
                std::printf(" %.0f%% |", 100.0 * share);
            }
            std::printf("\n");
            std::fflush(stdout);
        }
        std::printf("| **50 %%** |");
        for (std::size_t c = 0; c < std::size(columns); ++c) std::printf(" **%.1f** |", HalfPoint(sweep.points, shares[c]));
        std::printf("\n");
    }
}
