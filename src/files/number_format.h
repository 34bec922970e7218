#pragma once
// Number texts of the telemetry files: fixed-point with a limit of significant digits, always
// with "." as the decimal separator whatever the locale.
#include <string>

namespace orv {

// `value` rounded to `precision` significant digits and at most `decimals` decimals (halves
// away from zero, on the exact binary value), written with exactly `decimals` decimals:
// FixedText(23456, 6, 1) = "23456.0", FixedText(-23.25, 6, 1) = "-23.3". A value whose integer
// part needs more than `precision` digits is written in exponent notation with `precision`
// significant digits and no trailing zeros: FixedText(1234567, 6, 1) = "1.23457E6".
// A result that rounds to zero has no minus sign. precision 1..18, decimals 0..18.
std::string FixedText(long double value, int precision, int decimals);

// Appends FixedText(...) to `out` (no allocation when `out` has room).
void AppendFixedText(std::string& out, long double value, int precision, int decimals);

}  // namespace orv
