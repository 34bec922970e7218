#pragma once
// Small text readers shared by every field that takes a number.
#include <optional>
#include <string_view>

namespace orv {

// The text without leading and trailing white space.
std::string_view TrimSpaces(std::string_view text);

// Value of a digit in `base` (up to 16, either case), or -1.
int DigitValue(char c, int base);

// The digits of `base` as a number, saturating at `limit`; nothing when the text is empty or
// holds any other character.
std::optional<unsigned long long> ReadDigits(std::string_view digits, int base, unsigned long long limit);

}  // namespace orv
