// Decoding thresholds of the audio demodulator: the share of uncoded blocks with CRCC OK and of
// FEC frames decoded over Es/N0 per channel symbol, one column per impairment class a station
// meets, beside the ideal receiver that knows carrier and timing (the ADC synthesizer feeding the
// same ADC path); under each table the 50 % points; then the Es/N0 the demodulator shows against
// the Es/N0 sent. Prints Markdown.
// Run build/bench/audio/orv_audio_thresholds [trials per point, default 40] [uncoded|fec|esno [Es/N0 ...]]:
// the sweep named alone, at the points given.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "audio_test_util.h"
#include "fec/adc_synth.h"

namespace orv {
namespace {

enum class Kind { Uncoded, Fec, EsNo };

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

// The Es/N0 the demodulator shows after 3000 symbols (7.5 s), over `trials` recordings: mean and
// the reading farthest from the mean.
std::pair<double, double> EsNoMeanAndSpread(const Column& column, double esNoDb, int trials) {
    std::vector<double> readings;
    for (int seed = 1; seed <= trials; ++seed) {
        AudioSynthOptions o;
        o.levelDbfs = -20.0;
        o.esNoDb = esNoDb;
        o.seed = static_cast<std::uint64_t>(seed);
        column.impair(o);
        readings.push_back(test::EsNoShown(o));
    }
    double mean = 0.0;
    for (double r : readings) mean += r / static_cast<double>(readings.size());
    double spread = 0.0;
    for (double r : readings) spread = std::max(spread, std::abs(r - mean));
    return {mean, spread};
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
    struct Sweep {
        Kind kind;
        const char* title;
        std::vector<double> points;
    };
    std::vector<Sweep> sweeps = {
        {Kind::Uncoded, "uncoded blocks with CRCC OK", {7.5, 8.0, 8.5, 9.0, 9.5, 10.0, 11.0, 12.0, 13.0, 20.0, 30.0, 40.0, INFINITY}},
        {Kind::Fec, "FEC frames decoded", {0.0, 0.5, 1.0, 1.5, 2.0, 2.5, 3.0, 4.0, 20.0, 40.0, INFINITY}},
        {Kind::EsNo, "Es/N0 shown", {0.0, 3.0, 6.0, 9.0, 12.0, 15.0, 20.0, 25.0, 30.0, 40.0, INFINITY}},
    };
    if (argc > 2) {
        const std::string only = argv[2];
        const Kind kind = only == "fec" ? Kind::Fec : only == "esno" ? Kind::EsNo : Kind::Uncoded;
        std::erase_if(sweeps, [&](const Sweep& s) { return s.kind != kind; });
        if (argc > 3) {
            sweeps.front().points.clear();
            for (int i = 3; i < argc; ++i) sweeps.front().points.push_back(std::atof(argv[i]));
        }
    }
    for (const auto& sweep : sweeps) {
        if (sweep.kind == Kind::EsNo) {
            const int recordings = std::max(4, trials / 4);
            std::printf("\n%s (mean +- farthest reading) after 7.5 s, %d recordings per point; Es/N0 per channel symbol in dB\n\n| Es/N0 sent |",
                        sweep.title, recordings);
            for (std::size_t c = 1; c < std::size(columns); ++c) std::printf(" %s |", columns[c].name);
            std::printf("\n|---|");
            for (std::size_t c = 1; c < std::size(columns); ++c) std::printf("---|");
            std::printf("\n");
            for (double p : sweep.points) {
                std::printf("| %.1f |", p);
                for (std::size_t c = 1; c < std::size(columns); ++c) {
                    const auto [mean, spread] = EsNoMeanAndSpread(columns[c], p, recordings);
                    std::printf(" %.1f +- %.1f |", mean, spread);
                }
                std::printf("\n");
                std::fflush(stdout);
            }
            continue;
        }
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
