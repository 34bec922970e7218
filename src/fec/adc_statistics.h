#pragma once
// The ADC analysis: the histogram of the last 5200 soft symbols of the sample ring, and the count,
// mean and standard deviation of each half (symbols leaning to 0, symbols leaning to 1), as the ADC
// analysis window shows them.
#include <array>
#include <string>

#include "fec/adc_sample_path.h"

namespace orv {

inline constexpr int kHistogramSymbols = 5200;

// Counts per stored symbol value 0..255 (value - 128 is the signed soft value).
using SymbolHistogram = std::array<int, 256>;

// The 5200 ring entries before `ringIndex` (the slot of the next sample), oldest first.
SymbolHistogram CountSymbols(const SampleRing& ring, int ringIndex);

struct HalfFigures {
    int total = 1;           // symbols in the half, 1 when there are none
    float mean = -128.0F;    // mean signed soft value
    float deviation = 0.0F;  // standard deviation, 0 when rounding makes the variance negative
};

// Bins 1..127, leaning to 0 (bin 0, clipped at -128, is left out).
HalfFigures LowerHalfFigures(const SymbolHistogram& histogram);
// Bins 128..254, leaning to 1 (bin 255, clipped at +127, is left out).
HalfFigures UpperHalfFigures(const SymbolHistogram& histogram);

// The "Tot:", "Mean:" and "S.D.:" lines under the histogram, for the lower and the upper half
// (whose columns differ by a space).
std::array<std::string, 3> LowerHalfLines(const HalfFigures& figures);
std::array<std::string, 3> UpperHalfLines(const HalfFigures& figures);

// The calibration mean as the "Mean Raw Value:" label shows it: 4 significant digits, 1 decimal.
std::string MeanRawValueText(float mean);

}  // namespace orv
