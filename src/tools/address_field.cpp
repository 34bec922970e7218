#include "tools/address_field.h"

#include "text/text_parse.h"

#include <algorithm>
#include <limits>
#include <string>

namespace orv {
namespace {

// Digits in `base`, at least one; saturates at the largest long long.
std::optional<long long> ParseDigits(std::string_view digits, int base) {
    const auto value = ReadDigits(digits, base, std::numeric_limits<long long>::max());
    if (!value) return std::nullopt;
    return static_cast<long long>(*value);
}

// The shape an address field may hold while typing: leading spaces (the byte dump writes one),
// then either decimal digits or "#" and hexadecimal digits, within the length limit.
bool IsAddressFieldText(std::string_view text) {
    const std::size_t start = text.find_first_not_of(' ');
    if (start == std::string_view::npos) return true;
    const std::string_view body = text.substr(start);
    if (body.front() == '#') {
        for (char c : body.substr(1))
            if (DigitValue(c, 16) < 0) return false;
        return text.size() <= 4;
    }
    for (char c : body)
        if (DigitValue(c, 10) < 0) return false;
    return text.size() <= 3;
}

}  // namespace

std::optional<long long> ParseAddressText(std::string_view text) {
    if (!text.empty() && text.front() == '#') return ParseDigits(text.substr(1), 16);
    if (!text.empty() && text.front() == '-') {
        const auto magnitude = ParseDigits(text.substr(1), 10);
        if (!magnitude) return std::nullopt;
        return -*magnitude;
    }
    return ParseDigits(text, 10);
}

std::optional<char> FilterAddressKey(std::string_view text, char key, std::size_t cursor) {
    if (key == kBackspaceKey) return key;
    if (key >= 'a' && key <= 'f') key = static_cast<char>(key - 'a' + 'A');
    const bool allowed = (key >= '0' && key <= '9') || (key >= 'A' && key <= 'F') || key == '#';
    if (!allowed) return std::nullopt;
    std::string candidate(text);
    candidate.insert(std::min(cursor, candidate.size()), 1, key);
    if (!IsAddressFieldText(candidate)) return std::nullopt;
    return key;
}

}  // namespace orv
