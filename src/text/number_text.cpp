#include "text/number_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace orv {
namespace {

constexpr int kDigits = 18;  // significant digits taken from the value before rounding

// |value| = 0.digits x 10^exponent; count 0 means zero.
struct DecimalDigits {
    bool negative = false;
    char digits[kDigits + 1] = {};
    int count = 0;
    int exponent = 0;
};

// |value| as exactly kDigits significant digits, correctly rounded, into `all`; returns the
// decimal exponent (value = 0.all x 10^exponent). A long double that is exactly a double goes
// through std::to_chars, which gives the same digits as printf many times faster; the others
// through printf's long double conversion.
int ExactDigits(long double value, char (&all)[kDigits]) {
    char buf[64];
    const char* end = nullptr;
    const long double magnitude = std::fabs(value);
    const auto narrow = static_cast<double>(magnitude);
    if (static_cast<long double>(narrow) == magnitude) {
        end = std::to_chars(buf, buf + sizeof buf, narrow, std::chars_format::scientific, kDigits - 1).ptr;
    } else {
        const int n = std::snprintf(buf, sizeof buf, "%.*Le", kDigits - 1, magnitude);
        end = buf + n;
    }
    // d.ddd...e+XX
    all[0] = buf[0];
    std::memcpy(all + 1, buf + 2, kDigits - 1);
    const char* e = buf + 1 + kDigits;  // the 'e'
    int exponent = 0;
    std::from_chars(e[1] == '+' ? e + 2 : e + 1, end, exponent);
    return exponent + 1;
}

// The value as 18 significant digits, then rounded half up at min(precision, exponent + decimals)
// digits: one rounding step, so 12.345 with four digits and one decimal gives 12.3, not 12.4.
DecimalDigits RoundedDigits(long double value, int precision, int decimals) {
    DecimalDigits r;
    if (value == 0) return r;
    char all[kDigits];
    int exponent = ExactDigits(value, all);
    const int keep = std::min(precision, exponent + decimals);
    if (keep < 0) return r;
    std::memcpy(r.digits, all, static_cast<std::size_t>(keep));
    int count = keep;
    if (keep < kDigits && all[keep] >= '5') {
        int i = keep - 1;
        while (i >= 0 && r.digits[i] == '9') r.digits[i--] = '0';
        if (i < 0) {
            std::memmove(r.digits + 1, r.digits, static_cast<std::size_t>(count));
            r.digits[0] = '1';
            ++count;
            ++exponent;
        } else {
            ++r.digits[i];
        }
    }
    while (count > 0 && r.digits[count - 1] == '0') --count;
    if (count == 0) return r;
    r.negative = value < 0;
    r.count = count;
    r.exponent = exponent;
    return r;
}

char DigitAt(const DecimalDigits& d, int index) { return index >= 0 && index < d.count ? d.digits[index] : '0'; }

std::string ExponentText(const DecimalDigits& d, int precision) {
    std::string out = d.negative ? "-" : "";
    out += DigitAt(d, 0);
    if (precision > 1) out += '.';
    for (int i = 1; i < precision; ++i) out += DigitAt(d, i);
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
    // Sign, at most 18 integer digits, point and 18 decimals.
    char buf[2 + kDigits + 1 + 18];
    char* p = buf;
    if (d.negative) *p++ = '-';
    if (d.exponent <= 0) {
        *p++ = '0';
    } else {
        for (int i = 0; i < d.exponent; ++i) *p++ = DigitAt(d, i);
    }
    if (decimals > 0) {
        *p++ = '.';
        for (int k = 0; k < decimals; ++k) *p++ = DigitAt(d, d.exponent + k);
    }
    return std::string(buf, p);
}

std::string PadLeft(const std::string& text, std::size_t width) {
    return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

std::string PlainNumberText(double value) {
    char text[40];
    std::snprintf(text, sizeof text, "%.10g", value);
    return text;
}

}  // namespace orv
