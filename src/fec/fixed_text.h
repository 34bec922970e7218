#pragma once
// Number texts of the FEC figures: fixed-point with a limit on significant digits.
#include <string>

namespace orv {

// `value` rounded to at most `precision` significant digits and at most `digits` decimals (half
// away from zero, on the value's 18-digit decimal form), written with exactly `digits` decimals
// and "." as separator: FixedText(45.06, 3, 1) = "45.1", FixedText(7.24, 3, 1) = "7.2",
// FixedText(127.56, 4, 1) = "127.6". A value with more integer digits than `precision` is
// rounded at its precision-th digit (FixedText(1234.5, 3, 1) = "1230.0"). A result of zero has
// no sign.
std::string FixedText(double value, int precision, int digits);

// `text` left-padded with spaces to `width` characters; a longer text is kept whole.
std::string PadLeft(const std::string& text, std::size_t width);

}  // namespace orv
