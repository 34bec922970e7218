#include "files/telemetry_number.h"

#include "text/text_parse.h"

#include <cctype>
#include <limits>

namespace orv {

long long ParseTelemetryNumber(std::string_view text) {
    text = TrimSpaces(text);
    int base = 10;
    if (!text.empty() && text.front() == '#') {
        text.remove_prefix(1);
        base = 16;
    }
    const auto value = ReadDigits(text, base, std::numeric_limits<long long>::max());
    return value ? static_cast<long long>(*value) : -1;
}

std::optional<std::uint64_t> ParseBlockNumber(std::string_view text) {
    const auto value = ReadDigits(TrimSpaces(text), 10, std::numeric_limits<std::uint64_t>::max());
    if (!value) return std::nullopt;
    return static_cast<std::uint64_t>(*value);
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
