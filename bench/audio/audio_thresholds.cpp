// Decoding thresholds of the audio demodulator: the share of uncoded blocks with CRCC OK and of
// FEC frames decoded over Es/N0 per channel symbol, beside the ideal receiver that knows carrier
// and timing (the ADC synthesizer feeding the same ADC path). Prints a Markdown table.
// Run build/bench/audio/orv_audio_thresholds [trials per point, default 40].
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "audio_test_util.h"
#include "fec/adc_synth.h"

namespace orv {
namespace {

enum class Kind { Uncoded, Fec };

struct Condition {
    const char* name;
    bool ideal = false;
    double rate = 48000.0;
    double offsetHz = 0.0;
    double driftHzPerSecond = 0.0;
    double ppm = 0.0;
    double levelDbfs = -20.0;
};

// Recordings of `perRecording` transmissions of one kind each, until `trials` were sent; the
// share that came through.
double Share(Kind kind, const Condition& c, double esNoDb, int trials) {
    constexpr int kPerRecording = 4;
    int good = 0;
    for (int sent = 0, seed = 1; sent < trials; sent += kPerRecording, ++seed) {
        const int n = std::min(kPerRecording, trials - sent);
        std::vector<std::uint8_t> samples;
        if (c.ideal) {
            AdcSynthOptions o;
            o.ebNoDb = esNoDb;
            o.seed = static_cast<std::uint64_t>(seed);
            AdcSynthesizer synth(o);
            synth.AppendIdle(200, samples);
            for (int i = 0; i < n; ++i) {
                if (kind == Kind::Uncoded) synth.AppendUncodedBlock(test::MakeBlock('A', static_cast<std::uint32_t>(seed * 10 + i)), samples);
                else synth.AppendFecFrame(test::MakeFecData(static_cast<std::uint32_t>(seed * 10 + i)), samples);
                synth.AppendIdle(20, samples);
            }
            synth.AppendIdle(200, samples);
        } else {
            AudioSynthOptions o;
            o.sampleRate = c.rate;
            o.carrierHz = 1500.0 + c.offsetHz;
            o.driftHzPerSecond = c.driftHzPerSecond;
            o.clockPpm = c.ppm;
            o.levelDbfs = c.levelDbfs;
            o.esNoDb = esNoDb;
            o.seed = static_cast<std::uint64_t>(seed);
            AudioSynthesizer synth(o);
            std::vector<float> audio;
            synth.AppendIdle(200, audio);
            for (int i = 0; i < n; ++i) {
                if (kind == Kind::Uncoded) synth.AppendUncodedBlock(test::MakeBlock('A', static_cast<std::uint32_t>(seed * 10 + i)), audio);
                else synth.AppendFecFrame(test::MakeFecData(static_cast<std::uint32_t>(seed * 10 + i)), audio);
                synth.AppendIdle(20, audio);
            }
            synth.AppendIdle(200, audio);
            AudioDemodOptions d;
            d.sampleRate = c.rate;
            samples = test::Demodulate(d, audio);
        }
        test::ReceivingStation station;
        station.Feed(samples);
        good += station.Count(kind == Kind::Fec, true);
    }
    return static_cast<double>(good) / trials;
}

// An uncoded block passes when its 4144 channel bits all do; the differential detection turns a
// symbol error rate q into a bit error rate 2q(1-q).
double IdealUncodedFormula(double esNoDb) {
    const double q = 0.5 * std::erfc(std::sqrt(std::pow(10.0, esNoDb / 10.0)));
    return std::pow(1.0 - 2.0 * q * (1.0 - q), 4144.0);
}

}  // namespace
}  // namespace orv

int main(int argc, char** argv) {
    using namespace orv;
    const int trials = argc > 1 ? std::max(4, std::atoi(argv[1])) : 40;
    const Condition conditions[] = {
        {.name = "ideal receiver", .ideal = true},
        {.name = "audio 48 kHz, centred"},
        {.name = "150 Hz off, +1 Hz/s, +200 ppm, 48 kHz", .offsetHz = 150.0, .driftHzPerSecond = 1.0, .ppm = 200.0},
        {.name = "150 Hz off, -1 Hz/s, -200 ppm, 8 kHz, -40 dBFS", .rate = 8000.0, .offsetHz = -150.0, .driftHzPerSecond = -1.0, .ppm = -200.0, .levelDbfs = -40.0},
        {.name = "11.025 kHz, -150 Hz, carrier at -1 dBFS (noise clips)", .rate = 11025.0, .offsetHz = -150.0, .levelDbfs = -1.0},
        {.name = "44.1 kHz, +150 Hz, -200 ppm", .rate = 44100.0, .offsetHz = 150.0, .ppm = -200.0},
    };
    const struct {
        Kind kind;
        const char* title;
        std::vector<double> points;
    } sweeps[] = {
        {Kind::Uncoded, "uncoded blocks with CRCC OK", {8.0, 9.0, 10.0, 11.0, 12.0, 13.0}},
        {Kind::Fec, "FEC frames decoded", {0.0, 0.5, 1.0, 1.5, 2.0, 2.5, 3.0, 4.0}},
    };
    for (const auto& sweep : sweeps) {
        std::printf("\n%s, %d per point; Es/N0 per channel symbol in dB\n\n| condition |", sweep.title, trials);
        for (double p : sweep.points) std::printf(" %.1f |", p);
        std::printf("\n|---|");
        for (std::size_t i = 0; i < sweep.points.size(); ++i) std::printf("---|");
        std::printf("\n");
        if (sweep.kind == Kind::Uncoded) {
            std::printf("| ideal, formula |");
            for (double p : sweep.points) std::printf(" %.0f%% |", 100.0 * IdealUncodedFormula(p));
            std::printf("\n");
        }
        for (const Condition& c : conditions) {
            std::printf("| %s |", c.name);
            for (double p : sweep.points) std::printf(" %.0f%% |", 100.0 * Share(sweep.kind, c, p, trials));
            std::printf("\n");
            std::fflush(stdout);
        }
    }
}
