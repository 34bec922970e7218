#include "fec/fec_tables.h"

namespace orv {
namespace {

// Metric of each soft symbol when a 0 was sent: scaled base-2 log-likelihoods, +20 for a sure
// symbol down to -372 for a sure contradiction.
constexpr std::array<std::int32_t, 256> kMetricRow0 = {
    20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20,
    20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20,
    20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20,
    20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20,
    20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20,
    20, 20, 20, 20, 20, 20, 20, 19, 19, 19, 19, 19, 19, 19, 19, 19,
    19, 19, 18, 18, 18, 18, 18, 18, 17, 17, 17, 16, 16, 16, 15, 15,
    14, 14, 13, 13, 12, 11, 10, 10, 9, 8, 7, 6, 5, 3, 2, 1,
    -1, -2, -4, -5, -7, -9, -11, -13, -15, -17, -19, -21, -23, -25, -28, -30,
    -32, -35, -37, -40, -42, -45, -47, -50, -52, -55, -58, -60, -63, -66, -68, -71,
    -74, -77, -79, -82, -85, -88, -90, -93, -96, -99, -102, -104, -107, -110, -113, -116,
    -119, -121, -124, -127, -130, -133, -136, -138, -141, -144, -147, -150, -153, -155, -158, -161,
    -164, -167, -170, -172, -175, -178, -181, -184, -187, -190, -192, -195, -198, -201, -204, -207,
    -210, -212, -215, -218, -221, -224, -227, -229, -232, -235, -238, -241, -244, -247, -249, -252,
    -255, -258, -261, -264, -267, -269, -272, -275, -278, -281, -284, -286, -289, -292, -295, -298,
    -301, -304, -306, -309, -312, -315, -318, -320, -324, -326, -329, -332, -335, -337, -341, -372,
};

std::array<std::uint8_t, 65> MakeSyncVector() {
    std::array<std::uint8_t, 65> bits{};
    unsigned reg = 0x7F;
    for (auto& bit : bits) {
        bit = static_cast<std::uint8_t>((reg >> 6) & 1U);
        reg = ((reg << 1) | static_cast<unsigned>(Parity(reg & 0x48))) & 0xFF;
    }
    return bits;
}

// Pseudo-randomizer h(x) = x^8 + x^7 + x^5 + x^3 + 1, all ones at the start:
// s(n + 8) = s(n + 7) + s(n + 5) + s(n + 3) + s(n), bits sent most significant first.
std::array<std::uint8_t, 320> MakeScrambler() {
    std::array<std::uint8_t, 320> table{};
    unsigned window = 0xFF;  // s(n) in bit 7 .. s(n + 7) in bit 0
    for (auto& byte : table) {
        unsigned value = 0;
        for (int b = 0; b < 8; ++b) {
            const unsigned sn = (window >> 7) & 1U;
            value = (value << 1) | sn;
            const unsigned next = sn ^ ((window >> 4) & 1U) ^ ((window >> 2) & 1U) ^ (window & 1U);
            window = ((window << 1) | next) & 0xFF;
        }
        byte = static_cast<std::uint8_t>(value);
    }
    return table;
}

GaloisField MakeField() {
    GaloisField f;
    unsigned x = 1;
    for (int i = 0; i < 255; ++i) {
        f.exp[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(x);
        f.log[x] = static_cast<std::uint8_t>(i);
        x <<= 1;
        if (x & 0x100U) x ^= 0x187U;
    }
    f.exp[255] = 0;
    f.log[0] = GaloisField::kZeroLog;
    for (std::size_t i = 0; i < f.expWide.size(); ++i) f.expWide[i] = f.exp[i % 255];
    return f;
}

// Product of (x - beta^(112 + j)), j = 0..31, expanded; the coefficients' logarithms, highest
// power first.
std::array<std::uint8_t, 33> MakeGeneratorLogs() {
    const GaloisField& f = Gf();
    std::array<std::uint8_t, 33> g{};  // g[k]: coefficient of x^k
    g[0] = 1;
    for (int j = 0; j < 32; ++j) {
        const std::uint8_t root = f.exp[static_cast<std::size_t>(kRsRootSpacing * (kRsFirstRoot + j) % 255)];
        for (int k = j + 1; k > 0; --k) g[static_cast<std::size_t>(k)] = g[k - 1] ^ f.Mul(g[static_cast<std::size_t>(k)], root);
        g[0] = f.Mul(g[0], root);
    }
    std::array<std::uint8_t, 33> logs{};
    for (std::size_t k = 0; k < 33; ++k) logs[k] = f.log[g[32 - k]];
    return logs;
}

std::array<std::array<std::int32_t, 256>, 2> MakeMetricTable() {
    std::array<std::array<std::int32_t, 256>, 2> t{};
    t[0] = kMetricRow0;
    for (std::size_t s = 0; s < 256; ++s) t[1][s] = kMetricRow0[255 - s];
    // Two entries of the sent-1 row are not mirror images of the sent-0 row.
    t[1][2] = -338;
    t[1][8] = -321;
    return t;
}

}  // namespace

const std::array<std::uint8_t, 65>& SyncVector() {
    static const auto table = MakeSyncVector();
    return table;
}

const std::array<std::uint8_t, 320>& ScramblerTable() {
    static const auto table = MakeScrambler();
    return table;
}

const GaloisField& Gf() {
    static const GaloisField field = MakeField();
    return field;
}

const std::array<std::uint8_t, 33>& RsGeneratorLogs() {
    static const auto table = MakeGeneratorLogs();
    return table;
}

const std::array<std::array<std::int32_t, 256>, 2>& ViterbiMetricTable() {
    static const auto table = MakeMetricTable();
    return table;
}

}  // namespace orv
