#include "fec/adc_statistics.h"

#include <cmath>

#include "text/number_text.h"

namespace orv {
namespace {

constexpr int kRingMask = static_cast<int>(kSampleRingSize) - 1;

// Count, mean and deviation over bins first..last. The sums are 32-bit floats, whose rounding the
// shown figures follow (a variance that rounds below zero shows as a deviation of 0).
HalfFigures Figures(const SymbolHistogram& h, int first, int last) {
    int n = 0;
    float s1 = 0.0F;
    float s2 = 0.0F;
    for (int b = first; b <= last; ++b) {
        const int count = h[static_cast<std::size_t>(b)];
        n += count;
        s1 += static_cast<float>(count * b);
        s2 += static_cast<float>(count * b * b);
    }
    if (n == 0) n = 1;
    const float mean = s1 / static_cast<float>(n);
    const float variance = s2 / static_cast<float>(n) - mean * mean;
    return {n, mean - 128.0F, variance >= 0.0F ? std::sqrt(variance) : 0.0F};
}

std::string Decimal(float value) { return FixedText(value, 3, 1); }

// One leading space below 10, so that the decimal points of both halves line up.
std::string DeviationText(float deviation) {
    std::string text = Decimal(deviation);
    if (deviation < 10.0F) text.insert(text.begin(), ' ');
    return text;
}

}  // namespace

SymbolHistogram CountSymbols(const SampleRing& ring, int ringIndex) {
    SymbolHistogram h{};
    for (int i = 0; i < kHistogramSymbols; ++i) ++h[ring[static_cast<std::size_t>((ringIndex - kHistogramSymbols + i) & kRingMask)]];
    return h;
}

HalfFigures LowerHalfFigures(const SymbolHistogram& histogram) { return Figures(histogram, 1, 127); }
HalfFigures UpperHalfFigures(const SymbolHistogram& histogram) { return Figures(histogram, 128, 254); }

std::array<std::string, 3> LowerHalfLines(const HalfFigures& f) {
    return {"Tot:   " + PadLeft(std::to_string(f.total), 4), "Mean: " + PadLeft(Decimal(f.mean), 5),
            "S.D.:  " + DeviationText(f.deviation)};
}

std::array<std::string, 3> UpperHalfLines(const HalfFigures& f) {
    return {"Tot:  " + PadLeft(std::to_string(f.total), 4), "Mean: " + PadLeft(Decimal(f.mean), 4),
            "S.D.: " + DeviationText(f.deviation)};
}

std::string MeanRawValueText(float mean) { return FixedText(mean, 4, 1); }

}  // namespace orv
