#include "files/telemetry_number.h"

#include <cctype>
#include <limits>

namespace orv {
namespace {

std::string_view Trim(std::string_view t) {
    while (!t.empty() && std::isspace(static_cast<unsigned char>(t.front()))) t.remove_prefix(1);
    while (!t.empty() && std::isspace(static_cast<unsigned char>(t.back()))) t.remove_suffix(1);
    return t;
}

int DigitValue(char c, int base) {
    int v = -1;
    if (c >= '0' && c <= '9') v = c - '0';
    else if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
    else if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
    return v < base ? v : -1;
}

// Digits of `base` only; saturates at `limit`. False when empty or any other character.
bool ReadDigits(std::string_view t, int base, unsigned long long limit, unsigned long long& value) {
    if (t.empty()) return false;
    value = 0;
    for (char c : t) {
        const int d = DigitValue(c, base);
        if (d < 0) return false;
        value = value > (limit - static_cast<unsigned>(d)) / static_cast<unsigned>(base) ? limit
                                                                                           : value * base + d;
    }
    return true;
}

}  // namespace

long long ParseTelemetryNumber(std::string_view text) {
    text = Trim(text);
    int base = 10;
    if (!text.empty() && text.front() == '#') {
        text.remove_prefix(1);
        base = 16;
    }
    unsigned long long value = 0;
    if (!ReadDigits(text, base, std::numeric_limits<long long>::max(), value)) return -1;
    return static_cast<long long>(value);
}

std::optional<std::uint64_t> ParseBlockNumber(std::string_view text) {
    unsigned long long value = 0;
    if (!ReadDigits(Trim(text), 10, std::numeric_limits<std::uint64_t>::max(), value)) return std::nullopt;
    return value;
}

namespace {

std::optional<char> HexFieldKey(char key, std::string_view text, std::size_t limitPlain, std::size_t limitHash) {
    if (key >= 'a' && key <= 'f') key = static_cast<char>(key - 'a' + 'A');
    if (key == kBackspace) return key;
    const bool hasHash = text.find('#') != std::string_view::npos;
    const bool allowed = (key >= '0' && key <= '9') || key == '#' || (hasHash && key >= 'A' && key <= 'F');
    if (!allowed) return std::nullopt;
    if (text.size() >= (hasHash ? limitHash : limitPlain)) return std::nullopt;
    return key;
}

}  // namespace

std::optional<char> AddressKey(char key, std::string_view text) { return HexFieldKey(key, text, 3, 4); }

std::optional<char> MaskKey(char key, std::string_view text) { return HexFieldKey(key, text, 3, 3); }

std::optional<char> ExportRangeKey(char key) {
    if ((key >= '0' && key <= '9') || key == kBackspace || key == '#') return key;
    return std::nullopt;
}

std::optional<char> DigitKey(char key) {
    if ((key >= '0' && key <= '9') || key == kBackspace) return key;
    return std::nullopt;
}

}  // namespace orv
