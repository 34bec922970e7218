#include "fec/adc_synth.h"

#include <algorithm>
#include <cmath>

#include "fec/adc_sample_path.h"
#include "fec/fec_codec.h"

namespace orv {

AdcSynthesizer::AdcSynthesizer(const AdcSynthOptions& options)
    : offset_(options.adcOffset), amplitude_(options.amplitude), random_(options.seed) {
    // BPSK symbols of amplitude A in noise of deviation sigma: Es/N0 = A^2 / (2 sigma^2).
    sigma_ = std::isfinite(options.ebNoDb) ? options.amplitude / std::sqrt(2.0 * std::pow(10.0, options.ebNoDb / 10.0)) : 0.0;
}

double AdcSynthesizer::Gaussian() {
    // Box-Muller on the 64-bit Mersenne twister, whose output the C++ standard fixes, so streams
    // repeat across platforms.
    if (spareValid_) {
        spareValid_ = false;
        return spare_;
    }
    constexpr double kScale = 1.0 / 9007199254740992.0;  // 2^-53
    const double u1 = (static_cast<double>(random_() >> 11) + 1.0) * kScale;  // (0, 1]
    const double u2 = static_cast<double>(random_() >> 11) * kScale;          // [0, 1)
    const double r = std::sqrt(-2.0 * std::log(u1));
    constexpr double kTwoPi = 6.283185307179586;
    spare_ = r * std::sin(kTwoPi * u2);
    spareValid_ = true;
    return r * std::cos(kTwoPi * u2);
}

std::uint8_t AdcSynthesizer::Sample(unsigned bit) {
    if (bit != 0) sign_ = -sign_;
    double x = offset_ + sign_ * amplitude_;
    if (sigma_ > 0.0) x += sigma_ * Gaussian();
    return static_cast<std::uint8_t>(std::clamp(std::lround(x), 0L, 255L));
}

void AdcSynthesizer::AppendBits(std::span<const std::uint8_t> bits, std::vector<std::uint8_t>& out) {
    out.reserve(out.size() + bits.size());
    for (std::uint8_t b : bits) out.push_back(Sample(b & 1U));
}

void AdcSynthesizer::AppendFecFrame(std::span<const std::uint8_t, kFecDataBytes> data, std::vector<std::uint8_t>& out) {
    std::array<std::uint8_t, kFecFrameSymbols> frame;
    FecEncodeFrame(data, frame);
    AppendBits(frame, out);
}

std::vector<std::uint8_t> UncodedBlockBits(std::span<const std::uint8_t, kFullBlockBytes> block) {
    std::vector<std::uint8_t> bits;
    bits.reserve(32 + 8 * kFullBlockBytes);
    for (int b = 31; b >= 0; --b) bits.push_back(static_cast<std::uint8_t>((kBlockSyncWord >> b) & 1U));
    for (std::uint8_t byte : block)
        for (int b = 7; b >= 0; --b) bits.push_back(static_cast<std::uint8_t>((byte >> b) & 1U));
    return bits;
}

void AdcSynthesizer::AppendUncodedBlock(std::span<const std::uint8_t, kFullBlockBytes> block,
                                        std::vector<std::uint8_t>& out) {
    AppendBits(UncodedBlockBits(block), out);
}

void AdcSynthesizer::AppendIdle(int count, std::vector<std::uint8_t>& out) {
    for (int i = 0; i < count; ++i) out.push_back(Sample(static_cast<unsigned>(random_() >> 63)));
}

}  // namespace orv
