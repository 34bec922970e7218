#include "text/number_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace orv {
namespace {

// |value| = 0.digits x 10^exponent; empty digits mean zero.
struct DecimalDigits {
    bool negative = false;
    std::string digits;
    int exponent = 0;
};

// The value as 18 significant digits, then rounded half up at min(precision, exponent + decimals)
// digits: one rounding step, so 12.345 with four digits and one decimal gives 12.3, not 12.4.
DecimalDigits RoundedDigits(long double value, int precision, int decimals) {
    DecimalDigits r;
    if (value == 0) return r;
    constexpr int kDigits = 18;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*Le", kDigits - 1, std::fabs(value));  // d.ddd...e+XX
    std::string all(1, buf[0]);
    all.append(buf + 2, kDigits - 1);
    int exponent = std::atoi(std::strchr(buf, 'e') + 1) + 1;
    const int keep = std::min(precision, exponent + decimals);
    if (keep < 0) return r;
    std::string digits = all.substr(0, static_cast<std::size_t>(keep));
    if (keep < kDigits && all[static_cast<std::size_t>(keep)] >= '5') {
        int i = keep - 1;
        while (i >= 0 && digits[static_cast<std::size_t>(i)] == '9') digits[static_cast<std::size_t>(i--)] = '0';
        if (i < 0) {
            digits.insert(digits.begin(), '1');
            ++exponent;
        } else {
            ++digits[static_cast<std::size_t>(i)];
        }
    }
    while (!digits.empty() && digits.back() == '0') digits.pop_back();
    if (digits.empty()) return r;
    r.negative = value < 0;
    r.digits = std::move(digits);
    r.exponent = exponent;
    return r;
}

char DigitAt(const std::string& digits, int index) {
    return index >= 0 && index < static_cast<int>(digits.size()) ? digits[static_cast<std::size_t>(index)] : '0';
}

std::string ExponentText(const DecimalDigits& d, int precision) {
    std::string out = d.negative ? "-" : "";
    out += DigitAt(d.digits, 0);
    if (precision > 1) out += '.';
    for (int i = 1; i < precision; ++i) out += DigitAt(d.digits, i);
    char buf[16];
    std::snprintf(buf, sizeof buf, "E%+03d", d.exponent - 1);
    return out + buf;
}

}  // namespace

std::string FixedText(long double value, int precision, int decimals) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
    precision = std::clamp(precision, 1, 18);
    decimals = std::clamp(decimals, 0, 18);
    const DecimalDigits d = RoundedDigits(value, precision, decimals);
    if (d.exponent > precision) return ExponentText(d, precision);
    std::string out = d.negative ? "-" : "";
    if (d.exponent <= 0) {
        out += '0';
    } else {
        for (int i = 0; i < d.exponent; ++i) out += DigitAt(d.digits, i);
    }
    if (decimals > 0) {
        out += '.';
        for (int k = 0; k < decimals; ++k) out += DigitAt(d.digits, d.exponent + k);
    }
    return out;
}

std::string PadLeft(const std::string& text, std::size_t width) {
    return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

}  // namespace orv
