#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "reception/block.h"
#include "reception/crcc.h"

namespace orv {
namespace {

std::uint16_t CrccOf(const std::string& s) {
    return Crcc({reinterpret_cast<const std::uint8_t*>(s.data()), s.size()});
}

TEST(Crcc, TableAndPublishedCheckValues) {
    const auto* t = CrccTable();
    EXPECT_EQ(t[0], 0x0000);
    EXPECT_EQ(t[1], 0x1021);
    EXPECT_EQ(t[2], 0x2042);
    EXPECT_EQ(t[255], 0x1EF0);
    EXPECT_EQ(CrccOf("123456789"), 0x29B1);
    EXPECT_EQ(CrccOf("abc"), 0x514A);
}

TEST(Crcc, EightBytesAtATimeEqualsBytewiseForEveryLength) {
    std::vector<std::uint8_t> data(600);
    std::uint32_t x = 12345;
    for (auto& b : data) b = static_cast<std::uint8_t>((x = x * 1103515245 + 12345) >> 16);
    for (std::size_t n = 0; n <= data.size(); ++n)
        ASSERT_EQ(Crcc(std::span(data).first(n)), CrccBytewise(std::span(data).first(n))) << n;
}

TEST(Crcc, ZeroBlockPassesAndAnySingleBitFlipFails) {
    Block514 block{};
    EXPECT_EQ(Crcc(std::span(block).first(512)), 0x1634);
    block[512] = 0x16;
    block[513] = 0x34;
    EXPECT_TRUE(CrccPasses(block));
    // The register runs to zero over a block with its CRCC appended high byte first.
    EXPECT_EQ(Crcc(block), 0);
    for (std::size_t i = 0; i < block.size(); ++i) {
        for (int bit = 0; bit < 8; ++bit) {
            Block514 flipped = block;
            flipped[i] ^= static_cast<std::uint8_t>(1 << bit);
            ASSERT_FALSE(CrccPasses(flipped)) << "byte " << i << " bit " << bit;
        }
    }
}

TEST(Block, KindsAndMarks) {
    Block514 b{};
    b[0] = 0xC1;  // "A" with the failed mark
    b[1] = ' ';
    EXPECT_EQ(BlockId(b), 'A');
    EXPECT_TRUE(IsStandard(b, 'A'));
    b[1] = 'X';
    EXPECT_FALSE(IsStandard(b, 'A'));
    EXPECT_EQ(TextCopyIndex('K'), 0);
    EXPECT_EQ(TextCopyIndex('N'), 3);
    EXPECT_EQ(TextCopyIndex('A'), -1);
}

TEST(Block, EventNumberFromHexDigits) {
    struct Case {
        const char* digits;
        int expected;
    };
    for (const Case c : {Case{"00FF", 255}, Case{"1a2B", 0x1A2B}, Case{"12G4", 0}, Case{" 123", 0}, Case{"FFFF", 65535}}) {
        Block514 b{};
        for (int i = 0; i < 4; ++i) b[135 + i] = static_cast<std::uint8_t>(c.digits[i]);
        EXPECT_EQ(EventNumber(b), c.expected) << c.digits;
    }
}

TEST(Block, FailedCrccStampByKind) {
    struct Case {
        char id, second;
        bool stampsA, stampsText;
    };
    for (const Case c : {Case{'A', ' ', true, false}, Case{'E', ' ', true, false}, Case{'K', ' ', false, true},
                         Case{'N', ' ', false, true}, Case{'A', 'x', false, false}, Case{'D', ' ', false, false}}) {
        Block514 b{};
        b.fill(0x11);
        b[0] = static_cast<std::uint8_t>(c.id | 0x80);
        b[1] = static_cast<std::uint8_t>(c.second);
        b[512] = 0xAB;
        b[513] = 0xCD;
        WriteFailedCrccStamp(b);
        if (c.stampsA) {
            EXPECT_EQ(std::string(b.begin() + 466, b.begin() + 469), "P3D");
            EXPECT_EQ(b[469], 0xAB);
            EXPECT_EQ(b[470], 0xCD);
        } else {
            EXPECT_EQ(b[466], 0x11) << c.id;
        }
        EXPECT_EQ(b[510], c.stampsText ? 0xAB : 0x11) << c.id;
        EXPECT_EQ(b[511], c.stampsText ? 0xCD : 0x11) << c.id;
    }
}

}  // namespace
}  // namespace orv
