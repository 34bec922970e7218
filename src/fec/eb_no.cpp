#include "fec/eb_no.h"

#include <cmath>

#include "fec/soft_symbol.h"

namespace orv {
namespace {

constexpr float kPi = 3.14159265358979F;
constexpr float kTwoOverSqrtPi = 1.12837916709551F;
// Newton's method settles in a handful of steps; the bound only guards against a float cycle.
constexpr int kMaxNewtonSteps = 100;

}  // namespace

float ApproxErfc(float x) {
    const float t = 1.0F / (1.0F + 0.3275911F * x);
    return std::exp(-x * x) * t *
           (0.2548296F + t * (-0.28449672F + t * (1.4214138F + t * (-1.4531521F + t * 1.0614054F))));
}

float InverseErfc(float y) {
    if (y == 0.0F) return 10.0F;
    const float u = y * (2.0F - y);
    if (u <= 0.0F) return 0.0F;
    const float w = -(kPi / 4.0F) * std::log(u);
    if (w < 0.0F) return 0.0F;
    float x = std::sqrt(w);
    for (int i = 0; i < kMaxNewtonSteps; ++i) {
        const float slope = -kTwoOverSqrtPi * std::exp(-x * x);
        if (slope == 0.0F) return 0.0F;
        const float step = (y - ApproxErfc(x)) / slope;
        x += step;
        if (std::fabs(step) < 0.00001F) break;
    }
    return x;
}

float EbNoFromChannelErrors(int count) {
    float p = static_cast<float>(count < 0 ? 0 : count) / static_cast<float>(kFecFrameSymbols);
    if (p > 0.3F) p = 0.3F;
    const float q = (1.0F - std::sqrt(1.0F - 2.0F * p)) / 2.0F;
    const float x = InverseErfc(2.0F * q);
    const float value = x * x;
    return 10.0F * std::log10(value);
}

}  // namespace orv
