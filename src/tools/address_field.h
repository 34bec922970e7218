#pragma once
// Telemetry address entry: the text of an address field ("#" and hexadecimal digits, or decimal
// digits) and the key filter that keeps the field in that form while the user types. The Monitor's
// and the Export window's address fields share both.
#include <cstddef>
#include <optional>
#include <string_view>

namespace orv {

inline constexpr char kBackspaceKey = '\b';

// Reads an address text: "#" followed by hexadecimal digits (either case), or decimal digits with
// an optional leading "-". The text is taken as it is (callers trim it). Gives nothing for any
// other text, including an empty one and a lone "#". A number too large for the type reads as the
// largest value, so it stays out of range rather than wrapping.
std::optional<long long> ParseAddressText(std::string_view text);

// The key filter of an address field. `text` is the field's text without any selected part and
// `cursor` the insertion point in it (the end of the text when not given). Returns the character
// to insert (lower-case "a".."f" raised), kBackspaceKey for a backspace, or nothing when the key
// is refused.
//
// Accepted: backspace always; otherwise a key that leaves the text (after any leading spaces)
// either all decimal digits, at most 3 characters in all, or "#" followed by hexadecimal digits,
// at most 4 characters in all. So "A".."F" only after a "#", and only one "#", at the front.
std::optional<char> FilterAddressKey(std::string_view text, char key, std::size_t cursor = std::string_view::npos);

}  // namespace orv
