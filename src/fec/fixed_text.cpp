#include "fec/fixed_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace orv {

std::string FixedText(double value, int precision, int digits) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
    precision = std::clamp(precision, 1, 17);
    if (digits < 0) digits = 0;

    // 18 significant digits d0.d1...d17 x 10^exponent.
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.17e", std::fabs(value));
    std::string mantissa;
    for (const char* p = buf; *p != 'e'; ++p)
        if (*p != '.') mantissa.push_back(*p);
    int exponent = std::atoi(std::strchr(buf, 'e') + 1);
    const bool negative = std::signbit(value);

    // Keep the digits down to the precision-th significant one or the last decimal, whichever
    // comes first, and round half away from zero at the next.
    int keep = std::min(precision, exponent + 1 + digits);
    std::string kept;
    if (keep >= 0) {
        kept = mantissa.substr(0, static_cast<std::size_t>(keep));
        if (mantissa[static_cast<std::size_t>(keep)] >= '5') {
            int i = keep - 1;
            while (i >= 0 && kept[static_cast<std::size_t>(i)] == '9') kept[static_cast<std::size_t>(i--)] = '0';
            if (i >= 0) {
                ++kept[static_cast<std::size_t>(i)];
            } else {
                kept.insert(kept.begin(), '1');
                ++exponent;
            }
        }
    }
    const bool zero = kept.find_first_not_of('0') == std::string::npos;

    // Digit of the power of ten p, from the kept digits (the first one is 10^exponent).
    auto digitAt = [&](int p) {
        const int index = exponent - p;
        return (index >= 0 && index < static_cast<int>(kept.size())) ? kept[static_cast<std::size_t>(index)] : '0';
    };
    std::string text = (negative && !zero) ? "-" : "";
    for (int p = std::max(exponent, 0); p >= 0; --p) text.push_back(digitAt(p));
    if (digits > 0) {
        text.push_back('.');
        for (int p = -1; p >= -digits; --p) text.push_back(digitAt(p));
    }
    return text;
}

std::string PadLeft(const std::string& text, std::size_t width) {
    return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

}  // namespace orv
