#include <gtest/gtest.h>

#include <string>

#include "fec/fec_tables.h"

namespace orv {
namespace {

TEST(FecTables, SyncVectorIsTheRegisterSequence) {
    std::string bits;
    for (auto b : SyncVector()) bits += static_cast<char>('0' + b);
    EXPECT_EQ(bits, "11111110000111011110010110010010000001000100110001011101011011000");
}

TEST(FecTables, ScramblerStartsAndRepeatsAsTheCcsdsSequence) {
    const auto& s = ScramblerTable();
    const std::array<std::uint8_t, 8> first = {0xFF, 0x48, 0x0E, 0xC0, 0x9A, 0x0D, 0x70, 0xBC};
    for (std::size_t i = 0; i < first.size(); ++i) EXPECT_EQ(s[i], first[i]) << i;
    for (std::size_t i = 255; i < 320; ++i) EXPECT_EQ(s[i], s[i - 255]) << i;
}

TEST(FecTables, GaloisFieldOf0x187) {
    const auto& gf = Gf();
    EXPECT_EQ(gf.exp[0], 1);
    EXPECT_EQ(gf.exp[8], 0x87);  // x^8 = x^7 + x^2 + x + 1
    EXPECT_EQ(gf.exp[255], 0);
    EXPECT_EQ(gf.log[0], 255);
    std::array<bool, 256> seen{};
    for (int i = 0; i < 255; ++i) {
        EXPECT_FALSE(seen[gf.exp[static_cast<std::size_t>(i)]]);  // alpha is primitive
        seen[gf.exp[static_cast<std::size_t>(i)]] = true;
        EXPECT_EQ(gf.log[gf.exp[static_cast<std::size_t>(i)]], i);
    }
    // beta = alpha^11 raised to 116 is alpha again: 116 inverts 11 modulo 255.
    std::uint8_t power = 1;
    for (int i = 0; i < 116; ++i) power = gf.Mul(power, gf.exp[11]);
    EXPECT_EQ(power, gf.exp[1]);
}

TEST(FecTables, GeneratorLogarithmsAsPublished) {
    const std::array<int, 33> expected = {0,   249, 59, 66, 4,  43, 126, 251, 97,  30, 3,  213, 50, 66, 170, 5, 24,
                                          5,   170, 66, 50, 213, 3, 30,  97,  251, 126, 43, 4,  66, 59, 249, 0};
    const auto& g = RsGeneratorLogs();
    for (std::size_t i = 0; i < 33; ++i) EXPECT_EQ(g[i], expected[i]) << i;
}

TEST(FecTables, MetricTableSentOneRowMirrorsSentZeroWithTwoExceptions) {
    const auto& m = ViterbiMetricTable();
    EXPECT_EQ(m[0][0], 20);
    EXPECT_EQ(m[0][127], 1);
    EXPECT_EQ(m[0][128], -1);
    EXPECT_EQ(m[0][255], -372);
    for (int s = 0; s < 256; ++s) {
        const auto u = static_cast<std::size_t>(s);
        if (s == 2) EXPECT_EQ(m[1][u], -338);
        else if (s == 8) EXPECT_EQ(m[1][u], -321);
        else EXPECT_EQ(m[1][u], m[0][255 - u]) << s;
    }
}

TEST(FecTables, BranchLabels) {
    // Register 1 (a single 1 just shifted in): P(1 & 0x4F) = 1, 1 - P(1 & 0x6D) = 0.
    EXPECT_EQ(BranchLabel(0), 1);
    EXPECT_EQ(BranchLabel(1), 2);
    EXPECT_EQ(BranchLabel(0x7F), 2 * 1 + (1 - 1));  // five taps of 0x4F, five of 0x6D
}

}  // namespace
}  // namespace orv
