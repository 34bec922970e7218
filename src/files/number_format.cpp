#include "files/number_format.h"

#include <cmath>
#include <cstdint>

namespace orv {
namespace {

constexpr std::uint64_t kPow10[] = {1ULL,
                                    10ULL,
                                    100ULL,
                                    1000ULL,
                                    10000ULL,
                                    100000ULL,
                                    1000000ULL,
                                    10000000ULL,
                                    100000000ULL,
                                    1000000000ULL,
                                    10000000000ULL,
                                    100000000000ULL,
                                    1000000000000ULL,
                                    10000000000000ULL,
                                    100000000000000ULL,
                                    1000000000000000ULL,
                                    10000000000000000ULL,
                                    100000000000000000ULL,
                                    1000000000000000000ULL};

// round(m x 10^d / 2^k), halves up; m < 2^64, 10^d <= 10^18, 0 < k. The product is formed in
// 128 bits so the rounding sees the exact value. Returns false when the result needs 64 bits.
bool ScaledRound(std::uint64_t m, int d, int k, std::uint64_t& result) {
#if defined(__SIZEOF_INT128__)
    const unsigned __int128 product = static_cast<unsigned __int128>(m) * kPow10[d];
    if (k >= 128) {
        result = 0;
        return true;
    }
    const unsigned __int128 half = static_cast<unsigned __int128>(1) << (k - 1);
    const unsigned __int128 q = (product >> k) + ((product & ((half << 1) - 1)) >= half ? 1 : 0);
    if (q >> 63) return false;
    result = static_cast<std::uint64_t>(q);
    return true;
#else
    // Without a 128-bit type: extended precision, exact for every value the files write.
    const long double q = std::floor(std::ldexp(static_cast<long double>(m), -k) * kPow10[d] + 0.5L);
    if (q >= 9.2e18L) return false;
    result = static_cast<std::uint64_t>(q);
    return true;
#endif
}

// round(|value| x 10^d) exactly, halves up; false when it does not fit 63 bits.
bool RoundMagnitude(long double magnitude, int d, std::uint64_t& result) {
    int exponent = 0;
    const long double fraction = std::frexp(magnitude, &exponent);  // magnitude = fraction x 2^exponent
    // Take 64 bits of mantissa: magnitude = m x 2^(exponent - 64).
    const auto m = static_cast<std::uint64_t>(std::ldexp(fraction, 64));
    const int k = 64 - exponent;
    if (k <= 0) {
        // An integer of at least 2^64: never fits.
        return false;
    }
    return ScaledRound(m, d, k, result);
}

int DigitCount(std::uint64_t v) {
    int n = 1;
    while (n < 19 && v >= kPow10[n]) ++n;
    return n;
}

void AppendDigits(std::string& out, std::uint64_t v, int width) {
    char buf[24];
    int n = 0;
    do {
        buf[n++] = static_cast<char>('0' + v % 10);
        v /= 10;
    } while (v != 0);
    while (n < width) buf[n++] = '0';
    while (n > 0) out.push_back(buf[--n]);
}

void AppendExponentText(std::string& out, long double magnitude, bool negative, int precision) {
    // Decimal exponent e with 10^e <= magnitude < 10^(e+1), then `precision` digits.
    int e = static_cast<int>(std::floor(std::log10(magnitude)));
    std::uint64_t digits = 0;
    for (int attempt = 0; attempt < 3; ++attempt) {
        const long double scaled = magnitude / std::pow(10.0L, static_cast<long double>(e - (precision - 1)));
        digits = static_cast<std::uint64_t>(std::llround(scaled));
        if (digits >= kPow10[precision]) {
            ++e;
        } else if (digits < kPow10[precision - 1]) {
            --e;
        } else {
            break;
        }
    }
    int width = precision;
    while (width > 1 && digits % 10 == 0) {
        digits /= 10;
        --width;
    }
    if (negative) out.push_back('-');
    std::string mantissa;
    AppendDigits(mantissa, digits, width);
    out.push_back(mantissa[0]);
    if (width > 1) {
        out.push_back('.');
        out.append(mantissa, 1, std::string::npos);
    }
    out.push_back('E');
    if (e < 0) out.push_back('-');
    AppendDigits(out, static_cast<std::uint64_t>(e < 0 ? -e : e), 1);
}

}  // namespace

void AppendFixedText(std::string& out, long double value, int precision, int decimals) {
    if (std::isnan(value)) {
        out += "NAN";
        return;
    }
    const bool negative = std::signbit(value);
    const long double magnitude = std::fabs(value);
    if (std::isinf(value)) {
        out += negative ? "-INF" : "INF";
        return;
    }
    // Integer digits of the value (0 below 1): above `precision` the exponent form is used.
    int integerDigits = 0;
    if (magnitude >= 1.0L) {
        integerDigits = magnitude >= 1e18L ? 19 : DigitCount(static_cast<std::uint64_t>(magnitude));
    }
    std::uint64_t rounded = 0;
    int d = decimals;
    if (integerDigits > 0 && precision - integerDigits < d) d = precision - integerDigits;
    if (integerDigits > precision || !RoundMagnitude(magnitude, d, rounded) ||
        DigitCount(rounded / kPow10[d]) > precision) {
        AppendExponentText(out, magnitude, negative, precision);
        return;
    }
    if (negative && rounded != 0) out.push_back('-');
    AppendDigits(out, rounded / kPow10[d], 1);
    if (decimals > 0) {
        out.push_back('.');
        if (d > 0) AppendDigits(out, rounded % kPow10[d], d);
        out.append(static_cast<std::size_t>(decimals - d), '0');
    }
}

std::string FixedText(long double value, int precision, int decimals) {
    std::string out;
    AppendFixedText(out, value, precision, decimals);
    return out;
}

}  // namespace orv
