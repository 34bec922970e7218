#include "fec/reed_solomon.h"

#include <algorithm>
#include <array>

#include "fec/fec_tables.h"

namespace orv {
namespace {

constexpr int kRoots = static_cast<int>(kRsParity);

// Multiplication by each generator root beta^(112 + j) as a lookup table, for the syndromes.
struct RootProducts {
    std::array<std::array<std::uint8_t, 256>, kRsParity> byRoot{};
};

const RootProducts& Products() {
    static const RootProducts table = [] {
        RootProducts t;
        const GaloisField& gf = Gf();
        for (int j = 0; j < kRoots; ++j) {
            const std::uint8_t root = gf.exp[static_cast<std::size_t>(kRsRootSpacing * (kRsFirstRoot + j) % 255)];
            for (int v = 0; v < 256; ++v) t.byRoot[static_cast<std::size_t>(j)][static_cast<std::size_t>(v)] = gf.Mul(static_cast<std::uint8_t>(v), root);
        }
        return t;
    }();
    return table;
}

// Syndromes S_j: the received polynomial at beta^(112 + j) by Horner's rule, position 0 first.
// Leading zero positions leave the sums at zero, so the rule starts at the first non-zero byte.
// Returns whether any syndrome is non-zero.
bool Syndromes(std::span<const std::uint8_t, kRsLength> cw, std::array<std::uint8_t, kRsParity>& s) {
    const RootProducts& p = Products();
    s.fill(0);
    std::size_t i = 0;
    while (i < kRsLength && cw[i] == 0) ++i;
    for (; i < kRsLength; ++i) {
        const std::uint8_t r = cw[i];
        for (std::size_t j = 0; j < kRsParity; ++j) s[j] = p.byRoot[j][s[j]] ^ r;
    }
    std::uint8_t any = 0;
    for (std::uint8_t v : s) any |= v;
    return any != 0;
}

// Polynomials of degree up to 32, coefficient k at index k.
using Poly = std::array<std::uint8_t, kRsParity + 1>;

// Berlekamp-Massey: the shortest linear recurrence (error locator Lambda) generating the
// syndromes, and its length L.
int BerlekampMassey(const std::array<std::uint8_t, kRsParity>& s, Poly& lambda) {
    const GaloisField& gf = Gf();
    Poly b{};
    lambda.fill(0);
    lambda[0] = 1;
    b[0] = 1;
    int length = 0;
    int shift = 1;           // power of x that b is multiplied by
    std::uint8_t lastDiscrepancy = 1;
    for (int r = 0; r < kRoots; ++r) {
        std::uint8_t d = s[static_cast<std::size_t>(r)];
        for (int i = 1; i <= length; ++i) d ^= gf.Mul(lambda[static_cast<std::size_t>(i)], s[static_cast<std::size_t>(r - i)]);
        if (d == 0) {
            ++shift;
            continue;
        }
        // lambda - (d / lastDiscrepancy) x^shift b
        const int scaleLog = (gf.log[d] + 255 - gf.log[lastDiscrepancy]) % 255;
        const Poly before = lambda;
        for (int i = 0; i + shift <= static_cast<int>(kRsParity); ++i) {
            const std::uint8_t bi = b[static_cast<std::size_t>(i)];
            if (bi != 0) lambda[static_cast<std::size_t>(i + shift)] ^= gf.expWide[static_cast<std::size_t>(gf.log[bi] + scaleLog)];
        }
        if (2 * length <= r) {
            length = r + 1 - length;
            b = before;
            lastDiscrepancy = d;
            shift = 1;
        } else {
            ++shift;
        }
    }
    return length;
}

// Sum of coefficient[m] alpha^(m i) over m = first, first - step, ... >= 0, for a field exponent i.
std::uint8_t EvaluateAt(const std::uint8_t* coefficient, int first, int step, int i) {
    const GaloisField& gf = Gf();
    std::uint8_t sum = 0;
    for (int m = first; m >= 0; m -= step) {
        const std::uint8_t c = coefficient[m];
        if (c != 0) sum ^= gf.exp[static_cast<std::size_t>((gf.log[c] + m * i) % 255)];
    }
    return sum;
}

}  // namespace

int RsDecode(std::span<std::uint8_t, kRsLength> codeword) {
    const GaloisField& gf = Gf();
    std::array<std::uint8_t, kRsParity> s{};
    if (!Syndromes(codeword, s)) return 0;

    Poly lambda{};
    const int length = BerlekampMassey(s, lambda);

    // Chien search: a root alpha^i marks an error at position (116 i - 1) mod 255. Stop at L roots.
    // term[m] is the logarithm of Lambda_m alpha^(m i), advanced by m for each next i.
    std::array<int, kRsParity + 1> term{};
    int degree = 0;
    for (std::size_t m = 0; m <= kRsParity; ++m) {
        term[m] = lambda[m] != 0 ? gf.log[lambda[m]] : -1;
        if (lambda[m] != 0) degree = static_cast<int>(m);
    }
    std::array<int, kRsParity + 1> rootExp{};
    std::array<int, kRsParity + 1> position{};
    int found = 0;
    for (int i = 1; i <= 255 && found < length; ++i) {
        std::uint8_t sum = 0;
        for (int m = 0; m <= degree; ++m) {
            int& t = term[static_cast<std::size_t>(m)];
            if (t < 0) continue;
            t += m;
            if (t >= 255) t -= 255;
            sum ^= gf.exp[static_cast<std::size_t>(t)];
        }
        if (sum == 0) {
            rootExp[static_cast<std::size_t>(found)] = i;
            position[static_cast<std::size_t>(found)] = (kRsSpacingInverse * i - 1) % 255;
            ++found;
        }
    }
    if (found != length) return -1;

    // Error evaluator Omega = S Lambda mod x^32.
    std::array<std::uint8_t, kRsParity> omega{};
    for (int m = 0; m < kRoots; ++m) {
        std::uint8_t sum = 0;
        for (int k = 0; k <= m; ++k) sum ^= gf.Mul(lambda[static_cast<std::size_t>(k)], s[static_cast<std::size_t>(m - k)]);
        omega[static_cast<std::size_t>(m)] = sum;
    }

    // Forney, last root first: value = Omega(X^-1) X^(1 - 112) / Lambda'(X^-1), with X^-1 = alpha^i.
    const int derivativeTop = std::min(length, kRoots - 1) & ~1;
    for (int f = found - 1; f >= 0; --f) {
        const int i = rootExp[static_cast<std::size_t>(f)];
        const std::uint8_t numerator = EvaluateAt(omega.data(), kRoots - 1, 1, i);
        const int scaleLog = (kRsFirstRoot - 1) * i % 255;
        const std::uint8_t denominator = EvaluateAt(lambda.data() + 1, derivativeTop, 2, i);
        if (denominator == 0) return -1;
        if (numerator != 0) {
            const int valueLog = (gf.log[numerator] + scaleLog + 255 - gf.log[denominator]) % 255;
            codeword[static_cast<std::size_t>(position[static_cast<std::size_t>(f)])] ^= gf.exp[static_cast<std::size_t>(valueLog)];
        }
    }
    return length;
}

namespace {

// Feedback of the parity division for each value v entering it: v times the generator
// coefficients of x^31 .. x^0, as logarithms RsGeneratorLogs()[1..32].
struct ParityFeedback {
    std::array<std::array<std::uint8_t, kRsParity>, 256> byValue{};
};

const ParityFeedback& Feedback() {
    static const ParityFeedback table = [] {
        ParityFeedback t;
        const GaloisField& gf = Gf();
        const auto& g = RsGeneratorLogs();
        for (std::size_t v = 1; v < 256; ++v)
            for (std::size_t k = 0; k < kRsParity; ++k) t.byValue[v][k] = gf.expWide[gf.log[v] + g[k + 1]];
        return t;
    }();
    return table;
}

}  // namespace

// Register entries 1..31 take v times their generator coefficient, the register moves down by
// one place and the last entry becomes v times the constant coefficient (all 0 when v = 0).
void RsParityStep(std::uint8_t byte, std::span<std::uint8_t, kRsParity> reg) {
    const auto& feedback = Feedback().byValue[byte ^ reg[0]];
    for (std::size_t k = 0; k + 1 < kRsParity; ++k) reg[k] = reg[k + 1] ^ feedback[k];
    reg[kRsParity - 1] = feedback[kRsParity - 1];
}

void RsParity(std::span<const std::uint8_t> data, std::span<std::uint8_t, kRsParity> parity) {
    std::fill(parity.begin(), parity.end(), std::uint8_t{0});
    for (std::uint8_t byte : data) RsParityStep(byte, parity);
}

}  // namespace orv

