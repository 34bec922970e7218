#include "audio/tone_notches.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace orv {
namespace {

constexpr double kHalfWidthHz = 2.0;  // -3 dB half width of one stage
constexpr double kMatchHz = 2.0;
constexpr int kMissesAllowed = 2;

}  // namespace

ToneNotches::ToneNotches(double sampleRate)
    : rate_(sampleRate), radius_(static_cast<float>(1.0 - 2.0 * std::numbers::pi * kHalfWidthHz / sampleRate)) {}

void ToneNotches::Tune(Notch& n, double hz) const {
    n.hz = hz;
    n.zero = std::polar(1.0F, static_cast<float>(2.0 * std::numbers::pi * hz / rate_));
    n.pole = radius_ * n.zero;
}

void ToneNotches::Update(std::span<const double> toneHz) {
    std::vector<bool> taken(toneHz.size(), false);
    for (Notch& n : notches_) {
        std::size_t nearest = toneHz.size();
        for (std::size_t i = 0; i < toneHz.size(); ++i)
            if (!taken[i] && std::abs(toneHz[i] - n.hz) <= kMatchHz &&
                (nearest == toneHz.size() || std::abs(toneHz[i] - n.hz) < std::abs(toneHz[nearest] - n.hz)))
                nearest = i;
        if (nearest < toneHz.size()) {
            taken[nearest] = true;
            Tune(n, toneHz[nearest]);
            n.missed = 0;
        } else {
            ++n.missed;
        }
    }
    std::erase_if(notches_, [](const Notch& n) { return n.missed >= kMissesAllowed; });
    for (std::size_t i = 0; i < toneHz.size() && notches_.size() < kMaxNotches; ++i) {
        if (taken[i]) continue;
        Notch n;
        Tune(n, toneHz[i]);
        notches_.push_back(n);
    }
}

std::complex<float> ToneNotches::Filter(std::complex<float> x) {
    for (Notch& n : notches_) {
        for (int stage = 0; stage < 2; ++stage) {
            const std::complex<float> y = x - n.zero * n.x1[stage] + n.pole * n.y1[stage];
            n.x1[stage] = x;
            n.y1[stage] = y;
            x = y;
        }
    }
    return x;
}

std::vector<double> ToneNotches::Frequencies() const {
    std::vector<double> hz;
    for (const Notch& n : notches_) hz.push_back(n.hz);
    return hz;
}

}  // namespace orv
