#include "audio/audio_synth.h"

#include <algorithm>
#include <numbers>

#include "fec/adc_synth.h"

namespace orv {

AudioSynthesizer::AudioSynthesizer(const AudioSynthOptions& options)
    : options_(options),
      amplitude_(std::pow(10.0, options.levelDbfs / 20.0)),  // the peak of a full-scale sine is 1
      symbolSeconds_(1.0 / (400.0 * (1.0 + options.clockPpm * 1e-6))),
      startSeconds_(options.startSymbol / 400.0 / (1.0 + options.clockPpm * 1e-6)),
      random_(options.seed) {
    // Es = (A^2 / 2) T and N0 = sigma^2 / (fs / 2), so sigma^2 = A^2 fs T / (4 Es/N0).
    sigma_ = std::isfinite(options.esNoDb)
                 ? amplitude_ * std::sqrt(options.sampleRate * symbolSeconds_ / (4.0 * std::pow(10.0, options.esNoDb / 10.0)))
                 : 0.0;
}

double AudioSynthesizer::Gaussian() {
    // Box-Muller on the 64-bit Mersenne twister, whose output the standard fixes.
    if (spareValid_) {
        spareValid_ = false;
        return spare_;
    }
    constexpr double kScale = 1.0 / 9007199254740992.0;  // 2^-53
    const double u1 = (static_cast<double>(random_() >> 11) + 1.0) * kScale;
    const double u2 = static_cast<double>(random_() >> 11) * kScale;
    const double r = std::sqrt(-2.0 * std::log(u1));
    spare_ = r * std::sin(2.0 * std::numbers::pi * u2);
    spareValid_ = true;
    return r * std::cos(2.0 * std::numbers::pi * u2);
}

float AudioSynthesizer::Sample(double signal) {
    const double x = signal + (sigma_ > 0.0 ? sigma_ * Gaussian() : 0.0);
    return static_cast<float>(std::clamp(x, -1.0, 1.0));
}

void AudioSynthesizer::AppendBits(std::span<const std::uint8_t> bits, std::vector<float>& out) {
    const double fs = options_.sampleRate;
    for (std::uint8_t bit : bits) {
        if (((bit & 1U) != 0) != options_.inverted) sign_ = -sign_;
        const double middle = symbolStart_ + symbolSeconds_ / 2.0;
        const double end = symbolStart_ + symbolSeconds_;
        for (;;) {
            const double t = static_cast<double>(sample_) / fs;
            if (t >= end) break;
            ++sample_;
            if (t < startSeconds_) continue;
            // The carrier's phase is the integral of its frequency, which drifts linearly.
            const double phase = 2.0 * std::numbers::pi * (options_.carrierHz * t + options_.driftHzPerSecond * t * t / 2.0);
            const double half = t < middle ? sign_ : -sign_;
            out.push_back(Sample(amplitude_ * half * std::cos(phase)));
        }
        symbolStart_ = end;
    }
}

void AudioSynthesizer::AppendFecFrame(std::span<const std::uint8_t, kFecDataBytes> data, std::vector<float>& out) {
    std::array<std::uint8_t, kFecFrameSymbols> frame;
    FecEncodeFrame(data, frame);
    AppendBits(frame, out);
}

void AudioSynthesizer::AppendUncodedBlock(std::span<const std::uint8_t, kFullBlockBytes> block, std::vector<float>& out) {
    AppendBits(UncodedBlockBits(block), out);
}

void AudioSynthesizer::AppendIdle(int count, std::vector<float>& out) {
    std::vector<std::uint8_t> bits(static_cast<std::size_t>(std::max(count, 0)));
    for (auto& b : bits) b = static_cast<std::uint8_t>(random_() >> 63);
    AppendBits(bits, out);
}

void AudioSynthesizer::AppendSilence(double seconds, std::vector<float>& out) {
    const double end = symbolStart_ + seconds;
    for (;;) {
        const double t = static_cast<double>(sample_) / options_.sampleRate;
        if (t >= end) break;
        ++sample_;
        if (t >= startSeconds_) out.push_back(Sample(0.0));
    }
    symbolStart_ = end;
}

}  // namespace orv
