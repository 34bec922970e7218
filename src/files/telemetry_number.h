#pragma once
// Telemetry numbers as the operator types them: addresses and masks ("#" + hexadecimal or
// plain decimal), block numbers, and the key filters of the entry fields.
#include <cstdint>
#include <optional>
#include <string_view>

namespace orv {

// "#" followed by hexadecimal digits, or decimal digits; spaces around are ignored.
// "#1A7" and "423" give 423, "#FF" and "255" give 255. An empty text, a lone "#" or anything
// else that is not such a number gives -1. A number too large for the type saturates.
long long ParseTelemetryNumber(std::string_view text);

// A block number field: decimal digits only (spaces around ignored). Empty when the text is
// not such a number; a number too large for 64 bits saturates.
std::optional<std::uint64_t> ParseBlockNumber(std::string_view text);

inline constexpr char kBackspace = '\b';

// Key filters of the entry fields. Each returns the key as the field takes it (lower-case
// "a".."f" become upper case where hexadecimal is allowed), or nothing when it is discarded.
// `text` is the field's text before the key.

// Mask fields of the export: digits, "#", and "A".."F" once the text holds "#"; at most 3
// characters. (Address fields use FilterAddressKey of tools/address_field.h.)
std::optional<char> MaskKey(char key, std::string_view text);
// "Start:" and "Stop:" of the export: digits, backspace and "#".
std::optional<char> ExportRangeKey(char key);
// Block number fields of the graph dialog and "Go To Blk:": digits and backspace.
std::optional<char> DigitKey(char key);

}  // namespace orv
