#include "audio/carrier_search.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include <liquid/liquid.h>

namespace orv {
namespace {

// A line must stand this far above the mean power of the searched bins (11.8 dB). The largest of
// some 1500 bins of pure noise exceeds it about once in 2000 searches.
constexpr float kDetectionRatio = 15.0F;
// The squaring prefilter passes the signal's main lobe (800 Hz either side of the carrier) at
// any offset in range.
constexpr double kSignalHalfWidthHz = 900.0;
constexpr unsigned kPrefilterTaps = 31;

}  // namespace

struct CarrierSearch::Fft {
    std::vector<std::complex<float>> in = std::vector<std::complex<float>>(kWindow);
    std::vector<std::complex<float>> out = std::vector<std::complex<float>>(kWindow);
    fftplan plan = fft_create_plan(kWindow, in.data(), out.data(), LIQUID_FFT_FORWARD, 0);
    firfilt_crcf prefilter = nullptr;
    ~Fft() {
        fft_destroy_plan(plan);
        if (prefilter != nullptr) firfilt_crcf_destroy(prefilter);
    }
};

CarrierSearch::CarrierSearch(double basebandRate, double rangeHz)
    : rate_(basebandRate), range_(rangeHz), hann_(kWindow), fft_(std::make_unique<Fft>()) {
    for (int i = 0; i < kWindow; ++i)
        hann_[static_cast<std::size_t>(i)] = static_cast<float>(0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * i / kWindow));
    const double cutoff = std::min(0.45, (rangeHz + kSignalHalfWidthHz) / basebandRate);
    fft_->prefilter = firfilt_crcf_create_kaiser(kPrefilterTaps, static_cast<float>(cutoff), 40.0F, 0.0F);
}

CarrierSearch::~CarrierSearch() = default;

std::optional<double> CarrierSearch::Search(std::span<const std::complex<float>, kWindow> window) {
    firfilt_crcf_reset(fft_->prefilter);
    for (int i = 0; i < kWindow; ++i) {
        std::complex<float> y;
        firfilt_crcf_push(fft_->prefilter, window[static_cast<std::size_t>(i)]);
        firfilt_crcf_execute(fft_->prefilter, &y);
        fft_->in[static_cast<std::size_t>(i)] = y * y * hann_[static_cast<std::size_t>(i)];
    }
    fft_execute(fft_->plan);

    // Bins of twice the offset, -2 range .. +2 range; negative frequencies wrap to the top.
    const double binHz = rate_ / kWindow;
    const int reach = std::min(kWindow / 2 - 2, static_cast<int>(std::ceil(2.0 * range_ / binHz)));
    auto power = [&](int bin) { return std::norm(fft_->out[static_cast<std::size_t>((bin + kWindow) % kWindow)]); };
    int best = 0;
    float bestPower = -1.0F;
    double sum = 0.0;
    for (int bin = -reach; bin <= reach; ++bin) {
        const float p = power(bin);
        sum += p;
        if (p > bestPower) {
            bestPower = p;
            best = bin;
        }
    }
    const double mean = sum / (2 * reach + 1);
    if (!(bestPower > kDetectionRatio * mean)) return std::nullopt;
    // Parabolic interpolation on the log power between the neighbouring bins.
    const double l = std::log(power(best - 1) + 1e-30), c = std::log(static_cast<double>(bestPower) + 1e-30),
                 r = std::log(power(best + 1) + 1e-30);
    const double denominator = l - 2.0 * c + r;
    const double shift = denominator < 0.0 ? std::clamp(0.5 * (l - r) / denominator, -0.5, 0.5) : 0.0;
    return (best + shift) * binHz / 2.0;
}

AudioSpectrum CarrierSearch::Spectrum(std::span<const std::complex<float>, kWindow> window, double centreHz, double spanHz) {
    for (int i = 0; i < kWindow; ++i)
        fft_->in[static_cast<std::size_t>(i)] = window[static_cast<std::size_t>(i)] * hann_[static_cast<std::size_t>(i)];
    fft_execute(fft_->plan);
    const double binHz = rate_ / kWindow;
    const int reach = std::min(kWindow / 2 - 1, static_cast<int>(std::floor(spanHz / binHz)));
    AudioSpectrum s;
    s.firstHz = centreHz - reach * binHz;
    s.stepHz = binHz;
    s.powerDb.reserve(static_cast<std::size_t>(2 * reach + 1));
    // A full-scale sine arrives with amplitude 0.5; the Hann window sums to kWindow / 2.
    constexpr double kFullScale = 0.5 * kWindow / 2.0;
    for (int bin = -reach; bin <= reach; ++bin) {
        const double p = std::norm(fft_->out[static_cast<std::size_t>((bin + kWindow) % kWindow)]) / (kFullScale * kFullScale);
        s.powerDb.push_back(static_cast<float>(10.0 * std::log10(p + 1e-20)));
    }
    return s;
}

}  // namespace orv
