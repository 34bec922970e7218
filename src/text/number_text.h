#pragma once
// Decimal text of measured values: fixed-point with a number of significant digits and decimals.
#include <cstddef>
#include <string>

namespace orv {

// Writes `value` rounded once, half away from zero, to `precision` significant digits or to
// `decimals` places after the point, whichever keeps fewer digits; then in fixed-point notation
// with exactly `decimals` places ("29.5", "100", "0.0"). A value whose integer part needs more
// than `precision` digits is written in exponent notation with `precision` significant digits
// ("4.042E+07"). A result that rounds to zero carries no sign. Not-a-number and infinities are
// written "NAN", "INF" and "-INF".
std::string FixedText(long double value, int precision, int decimals);

// `value` as typed into a field or a settings file: up to 10 significant digits, no trailing
// zeros, no exponent below 1e10 ("1500", "1620.5", "739700000", "-16900").
std::string PlainNumberText(double value);

// `text` left-padded with spaces to `width` characters; a longer text is kept whole.
std::string PadLeft(const std::string& text, std::size_t width);

}  // namespace orv
