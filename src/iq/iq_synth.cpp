#include "iq/iq_synth.h"

#include <numbers>

namespace orv {
namespace {

// The audio synthesizer as a source of the symbols alone: at 0 Hz, full scale, no noise.
AudioSynthOptions SymbolOptions(const IqSynthOptions& o) {
    AudioSynthOptions a;
    a.sampleRate = o.sampleRate;
    a.carrierHz = 0.0;
    a.clockPpm = o.clockPpm;
    a.levelDbfs = 0.0;  // a peak of 1: the halves are +1 and -1
    a.startSymbol = o.startSymbol;
    a.seed = o.seed;
    return a;
}

}  // namespace

IqSynthesizer::IqSynthesizer(const IqSynthOptions& options)
    : options_(options), symbols_(SymbolOptions(options)), random_(options.seed ^ 0x9E3779B97F4A7C15ULL) {
    const double noiseRms = std::pow(10.0, options.noiseDbfs / 20.0);
    if (std::isfinite(options.esNoDb)) {
        // Es = A^2 T, N0 = 2 sigma^2 / fs: A^2 = 2 sigma^2 (Es/N0) / (T fs).
        sigma_ = noiseRms / std::sqrt(2.0);
        amplitude_ = std::sqrt(2.0 * sigma_ * sigma_ * std::pow(10.0, options.esNoDb / 10.0) * 400.0 / options.sampleRate);
    } else {
        sigma_ = 0.0;
        amplitude_ = noiseRms;
    }
}

double IqSynthesizer::Gaussian() { return normal_(random_); }

void IqSynthesizer::Modulate(std::span<const float> symbols, std::vector<std::complex<float>>& out) {
    const double fs = options_.sampleRate;
    out.reserve(out.size() + symbols.size());
    for (const float s : symbols) {
        // The carrier's phase is the integral of its frequency, which drifts linearly; the phasor
        // is set exactly every 4096 samples and turned in between.
        const double t = static_cast<double>(sample_) / fs;
        if (sample_++ % 4096 == 0) {
            const double cycles = options_.beaconHz * t + options_.driftHzPerSecond * t * t / 2.0;
            carrier_ = std::polar(1.0, 2.0 * std::numbers::pi * (cycles - std::floor(cycles)));
            turn_ = std::polar(1.0, 2.0 * std::numbers::pi * (options_.beaconHz + options_.driftHzPerSecond * (t + 0.5 / fs)) / fs);
            turnTurn_ = std::polar(1.0, 2.0 * std::numbers::pi * options_.driftHzPerSecond / (fs * fs));
            // The spike wanders a little, as a tuner's DC offset does with temperature.
            dc_ = std::polar(options_.dcLevel * (1.0 + 0.2 * std::sin(2.0 * std::numbers::pi * 0.3 * t)), 0.7);
        }
        std::complex<double> z = amplitude_ * static_cast<double>(s) * carrier_;
        carrier_ *= turn_;
        turn_ *= turnTurn_;
        if (sigma_ > 0.0) z += std::complex<double>(sigma_ * Gaussian(), sigma_ * Gaussian());
        z += dc_;
        out.emplace_back(static_cast<float>(z.real()), static_cast<float>(z.imag()));
    }
}

void IqSynthesizer::AppendBits(std::span<const std::uint8_t> bits, std::vector<std::complex<float>>& out) {
    baseband_.clear();
    symbols_.AppendBits(bits, baseband_);
    Modulate(baseband_, out);
}

void IqSynthesizer::AppendFecFrame(std::span<const std::uint8_t, kFecDataBytes> data, std::vector<std::complex<float>>& out) {
    baseband_.clear();
    symbols_.AppendFecFrame(data, baseband_);
    Modulate(baseband_, out);
}

void IqSynthesizer::AppendUncodedBlock(std::span<const std::uint8_t, kFullBlockBytes> block,
                                       std::vector<std::complex<float>>& out) {
    baseband_.clear();
    symbols_.AppendUncodedBlock(block, baseband_);
    Modulate(baseband_, out);
}

void IqSynthesizer::AppendIdle(int count, std::vector<std::complex<float>>& out) {
    baseband_.clear();
    symbols_.AppendIdle(count, baseband_);
    Modulate(baseband_, out);
}

void IqSynthesizer::AppendSilence(double seconds, std::vector<std::complex<float>>& out) {
    baseband_.clear();
    symbols_.AppendSilence(seconds, baseband_);
    Modulate(baseband_, out);
}

}  // namespace orv
