// FixedText against the long-double printf formatting it replaced, over a large number of values
// of every kind and every precision and decimal count.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "text/number_text.h"

namespace orv {
namespace {

// The first FixedText: 18 significant digits by printf("%.17Le"), then one rounding on the digits.
struct ReferenceDigits {
    bool negative = false;
    std::string digits;
    int exponent = 0;
};

ReferenceDigits ReferenceRounded(long double value, int precision, int decimals) {
    ReferenceDigits r;
    if (value == 0) return r;
    constexpr int kDigits = 18;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*Le", kDigits - 1, std::fabs(value));
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

char ReferenceDigitAt(const std::string& digits, int index) {
    return index >= 0 && index < static_cast<int>(digits.size()) ? digits[static_cast<std::size_t>(index)] : '0';
}

std::string FixedTextReference(long double value, int precision, int decimals) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
    precision = std::clamp(precision, 1, 18);
    decimals = std::clamp(decimals, 0, 18);
    const ReferenceDigits d = ReferenceRounded(value, precision, decimals);
    if (d.exponent > precision) {
        std::string out = d.negative ? "-" : "";
        out += ReferenceDigitAt(d.digits, 0);
        if (precision > 1) out += '.';
        for (int i = 1; i < precision; ++i) out += ReferenceDigitAt(d.digits, i);
        char buf[16];
        std::snprintf(buf, sizeof buf, "E%+03d", d.exponent - 1);
        return out + buf;
    }
    std::string out = d.negative ? "-" : "";
    if (d.exponent <= 0) {
        out += '0';
    } else {
        for (int i = 0; i < d.exponent; ++i) out += ReferenceDigitAt(d.digits, i);
    }
    if (decimals > 0) {
        out += '.';
        for (int k = 0; k < decimals; ++k) out += ReferenceDigitAt(d.digits, d.exponent + k);
    }
    return out;
}

// Compares both for the value with every precision 1..18 and decimals 0..18 (plus out-of-range
// ones that are clamped); stops the test at the first difference.
void ExpectSameForAllFormats(long double value) {
    for (int precision = 0; precision <= 19; ++precision) {
        for (int decimals = -1; decimals <= 19; ++decimals) {
            const std::string expected = FixedTextReference(value, precision, decimals);
            const std::string actual = FixedText(value, precision, decimals);
            if (actual != expected) {
                char buf[64];
                std::snprintf(buf, sizeof buf, "%.25Lg", value);
                FAIL() << "value " << buf << " precision " << precision << " decimals " << decimals << ": " << actual
                       << " instead of " << expected;
            }
        }
    }
}

// One format with many values: the display formats in use and a few others.
void ExpectSame(long double value, int precision, int decimals) {
    const std::string expected = FixedTextReference(value, precision, decimals);
    const std::string actual = FixedText(value, precision, decimals);
    if (actual != expected) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.25Lg", value);
        FAIL() << "value " << buf << " precision " << precision << " decimals " << decimals << ": " << actual << " instead of "
               << expected;
    }
}

TEST(FixedTextTest, SameTextAsLongDoublePrintfForEveryKindOfValue) {
    std::vector<long double> values = {0.0L, -0.0L, 0.05L, 0.5L, 0.95L, 9.95L, 99.95L, 999.5L, 12.345L, 2.675L, 1e17L, 1e18L,
                                       999999999999999999.0L, 4.042e7L, -4.042e7L, 1e-300L, 1e300L, 1e-4000L, 1e4000L,
                                       std::numeric_limits<long double>::denorm_min(), std::numeric_limits<long double>::max(),
                                       std::numeric_limits<double>::denorm_min(), std::numeric_limits<double>::max(),
                                       std::numeric_limits<float>::max(), std::numeric_limits<long double>::quiet_NaN(),
                                       std::numeric_limits<long double>::infinity(), -std::numeric_limits<long double>::infinity()};
    std::mt19937_64 random(14);
    // Halves and near-halves at every decimal place: where the rounding can go either way.
    for (int scale = -20; scale <= 20; ++scale) {
        for (int k = 0; k < 8; ++k) {
            const long double v = (static_cast<long double>(random() % 2000000) + 0.5L) * std::pow(10.0L, scale);
            for (long double x : {v, static_cast<long double>(static_cast<double>(v)), static_cast<long double>(static_cast<float>(v))}) {
                values.push_back(x);
                values.push_back(-x);
                values.push_back(std::nextafter(x, 0.0L));
                values.push_back(static_cast<long double>(std::nextafter(static_cast<double>(x), 0.0)));
                values.push_back(static_cast<long double>(std::nextafter(static_cast<double>(x), 1e300)));
            }
        }
    }
    // Any bit pattern of a float, a double and a long double.
    for (int k = 0; k < 1500; ++k) {
        values.push_back(std::bit_cast<float>(static_cast<std::uint32_t>(random())));
        values.push_back(std::bit_cast<double>(random()));
        long double ld = 0;
        const std::uint64_t mantissa = random() | (std::uint64_t{1} << 63);
        const auto exponentBits = static_cast<std::uint16_t>(random());
        std::memcpy(&ld, &mantissa, 8);
        std::memcpy(reinterpret_cast<char*>(&ld) + 8, &exponentBits, 2);
        values.push_back(ld);
    }
    for (long double v : values) {
        ExpectSameForAllFormats(v);
        if (HasFatalFailure()) return;
    }
}

TEST(FixedTextTest, SameTextAsLongDoublePrintfForMillionsOfMeasuredValues) {
    // The formats the windows, logs and exports use, with floats and doubles of measured
    // magnitudes, uniform and with random exponents.
    const std::pair<int, int> formats[] = {{4, 1}, {5, 0}, {4, 0}, {3, 1}, {2, 1}, {4, 2}, {6, 1}, {11, 5}};
    std::mt19937_64 random(40);
    std::uniform_real_distribution<double> uniform(-1000.0, 1000.0);
    std::uniform_real_distribution<double> exponent(-8.0, 12.0);
    for (int k = 0; k < 50000; ++k) {
        const double u = uniform(random);
        const double e = std::pow(10.0, exponent(random)) * (random() % 2 != 0 ? 1 : -1);
        const long double values[] = {static_cast<float>(u), u, static_cast<float>(e), e,
                                      static_cast<long double>(random() % 100000) / 10.0L + 0.05L};
        for (const long double v : values) {
            for (const auto& [precision, decimals] : formats) {
                ExpectSame(v, precision, decimals);
                if (HasFatalFailure()) return;
            }
        }
    }
}

}  // namespace
}  // namespace orv
