#include "audio/phase_smoother.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace orv {
namespace {

// Time constants of the smoothings in symbols: about 1, 3.5, 14 and 66.
constexpr double kAlphas[PhaseSmoother::kSmoothings] = {0.4, 0.75, 0.93, 0.985};
constexpr double kQuadratureAverage = 1.0 / 400.0;  // per symbol: about one second
// Another smoothing is taken when its quadrature power is this much below the one in use.
constexpr double kSwitchRatio = 0.95;

}  // namespace

PhaseSmoother::PhaseSmoother() {
    for (int i = 0; i < kSmoothings; ++i) {
        Smoothing& s = smoothings_[static_cast<std::size_t>(i)];
        s.alpha = kAlphas[i];
        s.length = std::min(kDelay, static_cast<int>(std::ceil(std::log(0.01) / std::log(s.alpha))));
        for (int j = 1; j <= s.length; ++j) s.weights.push_back(std::pow(s.alpha, j));
        s.alphaToLength = std::pow(s.alpha, s.length + 1);
    }
}

std::optional<std::complex<float>> PhaseSmoother::Push(std::complex<float> symbol) {
    const std::size_t at = count_ % kRing;
    symbols_[at] = symbol;
    squares_[at] = std::complex<double>(symbol) * std::complex<double>(symbol);
    ++count_;
    if (count_ <= static_cast<std::uint64_t>(kDelay)) return std::nullopt;

    // The symbol kDelay back, and its neighbours' squares on either side.
    const std::uint64_t centre = count_ - 1 - kDelay;
    auto square = [&](std::uint64_t i) { return squares_[i % kRing]; };
    const std::complex<double> r = symbols_[centre % kRing];
    std::array<double, kSmoothings> phase{};
    // A plain mean over the first symbols, so that the choice is right from the start.
    const double average = std::max(kQuadratureAverage, 1.0 / static_cast<double>(centre + 1));
    for (int i = 0; i < kSmoothings; ++i) {
        Smoothing& s = smoothings_[static_cast<std::size_t>(i)];
        // The past sum moves on by one: the symbol before the centre comes in, the oldest leaves.
        if (centre > 0) {
            s.past = s.alpha * (s.past + square(centre - 1));
            if (centre > static_cast<std::uint64_t>(s.length)) s.past -= s.alphaToLength * square(centre - 1 - static_cast<std::uint64_t>(s.length));
        }
        std::complex<double> sum = s.past;
        for (int j = 1; j <= s.length; ++j) sum += s.weights[static_cast<std::size_t>(j - 1)] * square(centre + static_cast<std::uint64_t>(j));
        phase[static_cast<std::size_t>(i)] = 0.5 * std::arg(sum);
        const double q = (r * std::polar(1.0, -phase[static_cast<std::size_t>(i)])).imag();
        s.quadrature += average * (q * q - s.quadrature);
    }
    for (int i = 0; i < kSmoothings; ++i)
        if (smoothings_[static_cast<std::size_t>(i)].quadrature < kSwitchRatio * smoothings_[static_cast<std::size_t>(choice_)].quadrature) choice_ = i;

    // The reference nearest the previous one of the two the square leaves.
    double theta = phase[static_cast<std::size_t>(choice_)];
    theta += std::numbers::pi * std::round((reference_ - theta) / std::numbers::pi);
    step_ = theta - reference_;
    reference_ = theta;
    return std::complex<float>(r * std::polar(1.0, -theta));
}

void PhaseSmoother::Drain(std::vector<std::complex<float>>& out) {
    // Silence after the end: the last symbols see neighbours on one side only.
    for (int i = 0; i < kDelay; ++i)
        if (const auto symbol = Push(0.0F)) out.push_back(*symbol);
}

}  // namespace orv
