#include "text/text_parse.h"

#include <cctype>

namespace orv {

std::string_view TrimSpaces(std::string_view t) {
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

std::optional<unsigned long long> ReadDigits(std::string_view digits, int base, unsigned long long limit) {
    if (digits.empty()) return std::nullopt;
    unsigned long long value = 0;
    const auto b = static_cast<unsigned long long>(base);
    for (char c : digits) {
        const int d = DigitValue(c, base);
        if (d < 0) return std::nullopt;
        const auto ud = static_cast<unsigned long long>(d);
        value = value > (limit - ud) / b ? limit : value * b + ud;
    }
    return value;
}

}  // namespace orv
