#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

#include "fec/eb_no.h"
#include "fec/fec_codec.h"
#include "fec/fec_tables.h"
#include "text/number_text.h"
#include "fec/reed_solomon.h"
#include "fec/viterbi.h"
#include "fec_test_util.h"

namespace orv {
namespace {

using test::EncodeSoft;
using test::RandomData;

TEST(FecDecoder, RoundTripHasNoErrorsAndExactly20Db) {
    for (std::uint32_t seed : {1U, 2U, 3U}) {
        const FecData data = RandomData(seed);
        FecStatus status;
        FecData out{};
        ASSERT_TRUE(DecodeFecFrame(EncodeSoft(data), status, out));
        EXPECT_EQ(out, data);
        EXPECT_EQ(status.rsCorrections[0], 0);
        EXPECT_EQ(status.rsCorrections[1], 0);
        EXPECT_EQ(status.channelErrors, 0);
        EXPECT_EQ(status.ebNoDb, 20.0F);
    }
}

TEST(FecDecoder, FrameLayoutHasSyncColumnAndEmptySpareSlots) {
    std::array<std::uint8_t, kFecFrameSymbols> frame{};
    FecEncodeFrame(RandomData(4), frame);
    for (std::size_t i = 0; i < kFecRows; ++i) EXPECT_EQ(frame[80 * i], SyncVector()[i]);
    for (std::size_t row : {62U, 63U, 64U}) EXPECT_EQ(frame[80 * row + 79], 0);
    // The six flush bits leave the register at zero: the last six symbol pairs of a zero
    // register are the label h(0) = (0, 1).
    EXPECT_EQ(frame[80 * 61 + 79], 1);
}

TEST(FecDecoder, ViterbiCorrectsScatteredSymbolFlipsAndCountsThem) {
    const FecData data = RandomData(5);
    FecFrame frame = EncodeSoft(data);
    // Flips far apart, including a sync symbol and a spare slot.
    const std::vector<std::size_t> flips = {0, 80 * 64 + 79, 7, 613, 1201, 1999, 2600, 3333, 4001, 4777, 5100, 5195};
    for (std::size_t i : flips) frame[i] = static_cast<SoftSymbol>(255 - frame[i]);
    FecStatus status;
    FecData out{};
    ASSERT_TRUE(DecodeFecFrame(frame, status, out));
    EXPECT_EQ(out, data);
    EXPECT_EQ(status.rsCorrections[0], 0);
    EXPECT_EQ(status.rsCorrections[1], 0);
    EXPECT_EQ(status.channelErrors, static_cast<int>(flips.size()));
}

TEST(FecDecoder, HardDecisionIsTheTopBit) {
    const FecData data = RandomData(6);
    std::array<std::uint8_t, kFecFrameSymbols> hard{};
    FecEncodeFrame(data, hard);
    // The weakest symbols still decide: 128 is a 1, 127 a 0.
    FecFrame frame = test::SoftFrame(hard, 127, 128);
    FecStatus status;
    FecData out{};
    ASSERT_TRUE(DecodeFecFrame(frame, status, out));
    EXPECT_EQ(out, data);
    EXPECT_EQ(status.channelErrors, 0);
    // One 1 sent as 127 and one 0 sent as 128 are two channel errors.
    const auto one = static_cast<std::size_t>(std::find(hard.begin() + 1, hard.end(), 1) - hard.begin());
    const auto zero = static_cast<std::size_t>(std::find(hard.begin() + 1, hard.end(), 0) - hard.begin());
    frame[one] = 127;
    frame[zero] = 128;
    ASSERT_TRUE(DecodeFecFrame(frame, status, out));
    EXPECT_EQ(status.channelErrors, 2);
}

// Frame whose transmitted bytes carry `errors[c]` wrong bytes in codeword c, spread over its data
// and parity bytes, the Viterbi stage itself undisturbed.
FecFrame FrameWithByteErrors(const FecData& data, std::array<int, 2> errors) {
    auto bytes = FecTransmittedBytes(data);
    for (std::size_t c = 0; c < 2; ++c)
        for (int e = 0; e < errors[c]; ++e) bytes[c + 2 * static_cast<std::size_t>(e * 9 % 160)] ^= static_cast<std::uint8_t>(0x5A + e);
    std::array<std::uint8_t, kFecFrameSymbols> hard{};
    FecFrameFromBytes(bytes, hard);
    return test::SoftFrame(hard);
}

TEST(FecDecoder, ReedSolomonCorrectsUpTo16BytesPerCodewordAndFailsAt17) {
    const FecData data = RandomData(7);
    for (int n = 1; n <= 16; ++n) {
        FecStatus status;
        FecData out{};
        ASSERT_TRUE(DecodeFecFrame(FrameWithByteErrors(data, {n, 17 - n}), status, out)) << n;
        EXPECT_EQ(out, data) << n;
        EXPECT_EQ(status.rsCorrections[0], n);
        EXPECT_EQ(status.rsCorrections[1], 17 - n);
        EXPECT_GT(status.channelErrors, 0);
    }
    FecStatus status;
    FecData out{};
    EXPECT_FALSE(DecodeFecFrame(FrameWithByteErrors(data, {17, 0}), status, out));
    EXPECT_EQ(status.rsCorrections[0], -1);
    EXPECT_EQ(status.rsCorrections[1], 0);
}

TEST(FecDecoder, OnlyCodewordOneFailingGivesNoDataAndKeepsTheChannelFigures) {
    const FecData data = RandomData(8);
    FecStatus status;
    status.channelErrors = 77;
    status.ebNoDb = 5.5F;
    FecData out{};
    out.fill(0xEE);
    EXPECT_FALSE(DecodeFecFrame(FrameWithByteErrors(data, {3, 20}), status, out));
    EXPECT_EQ(status.rsCorrections[0], 3);
    EXPECT_EQ(status.rsCorrections[1], -1);
    EXPECT_EQ(status.channelErrors, 77);
    EXPECT_EQ(status.ebNoDb, 5.5F);
    EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](std::uint8_t b) { return b == 0xEE; }));
}

TEST(FecDecoder, NoisyFramesDecode) {
    // Soft values 64 / 192 with deviation 30: about 1.6 % symbol errors, well within the code.
    for (std::uint32_t seed = 10; seed < 14; ++seed) {
        const FecData data = RandomData(seed);
        FecStatus status;
        FecData out{};
        ASSERT_TRUE(DecodeFecFrame(test::NoisyFrame(data, 30.0, seed), status, out)) << seed;
        EXPECT_EQ(out, data);
        EXPECT_GT(status.channelErrors, 20);
        EXPECT_LT(status.ebNoDb, 8.4F);
    }
}

TEST(ReedSolomon, CorrectionsInThePaddingCountAndRestoreZeros) {
    const FecData data = RandomData(9);
    const auto bytes = FecTransmittedBytes(data);
    std::array<std::uint8_t, kRsLength> cw{};
    for (std::size_t t = 0; t < kFecCodedBytes; t += 2) cw[kRsPadding + t / 2] = bytes[t];
    const auto clean = cw;
    cw[0] ^= 0x01;    // padding: no data byte changes, still corrected and counted
    cw[94] ^= 0xFF;
    cw[100] ^= 0x33;  // data
    cw[254] ^= 0x80;  // parity
    EXPECT_EQ(RsDecode(cw), 4);
    EXPECT_EQ(cw, clean);
    EXPECT_EQ(RsDecode(cw), 0);
}

TEST(ReedSolomon, RandomErrorPatternsAnywhereInTheCodeword) {
    std::mt19937 random(11);
    std::array<std::uint8_t, kRsLength> clean{};
    for (std::size_t i = kRsPadding; i < kRsLength - kRsParity; ++i) clean[i] = static_cast<std::uint8_t>(random());
    std::array<std::uint8_t, kRsParity> parity{};
    RsParity(std::span<const std::uint8_t>(clean.data(), kRsLength - kRsParity), parity);
    std::copy(parity.begin(), parity.end(), clean.end() - kRsParity);
    for (int weight = 1; weight <= 20; ++weight) {
        for (int trial = 0; trial < 10; ++trial) {
            auto cw = clean;
            std::set<std::size_t> positions;
            while (static_cast<int>(positions.size()) < weight) positions.insert(random() % kRsLength);
            for (std::size_t p : positions) cw[p] ^= static_cast<std::uint8_t>(1 + random() % 255);
            const auto received = cw;
            const int result = RsDecode(cw);
            if (weight <= 16) {
                EXPECT_EQ(result, weight);
                EXPECT_EQ(cw, clean);
            } else {
                // Beyond the code's reach: refused and untouched (a miscorrection would need an
                // error pattern that lies within 16 symbols of another codeword).
                EXPECT_EQ(result, -1) << weight;
                EXPECT_EQ(cw, received);
            }
        }
    }
}

TEST(ReedSolomon, UndecodableCodewordIsLeftUnchanged) {
    std::array<std::uint8_t, kRsLength> cw{};
    for (std::size_t i = 0; i < 40; ++i) cw[100 + 3 * i] = static_cast<std::uint8_t>(i * 37 + 1);
    const auto before = cw;
    EXPECT_EQ(RsDecode(cw), -1);
    EXPECT_EQ(cw, before);
}

TEST(ReedSolomon, ParityMakesAllSyndromesZero) {
    // A codeword built from the parity division decodes clean whatever its data.
    std::mt19937 random(3);
    for (int round = 0; round < 20; ++round) {
        std::array<std::uint8_t, kRsLength> cw{};
        for (std::size_t i = kRsPadding; i < kRsLength - kRsParity; ++i) cw[i] = static_cast<std::uint8_t>(random());
        std::array<std::uint8_t, kRsParity> parity{};
        RsParity(std::span<const std::uint8_t>(cw.data(), kRsLength - kRsParity), parity);
        std::copy(parity.begin(), parity.end(), cw.end() - kRsParity);
        EXPECT_EQ(RsDecode(cw), 0);
    }
}

TEST(Viterbi, RejectsImpossibleSizes) {
    std::array<SoftSymbol, 100> symbols{};
    std::array<std::uint8_t, 10> out{};
    EXPECT_EQ(ViterbiDecode(symbols, 5, out), -1);        // fewer than the six flush steps
    EXPECT_EQ(ViterbiDecode(symbols, 51, out), -1);       // 102 symbols needed, 100 given
    EXPECT_EQ(ViterbiDecode(symbols, 46, std::span(out).first(4)), -1);  // 5 bytes needed
    EXPECT_EQ(ViterbiDecode(symbols, 46, out), 5);
}

TEST(EbNo, FiguresForOneTenAHundredErrorsAndTheCap) {
    EXPECT_EQ(EbNoFromChannelErrors(0), 20.0F);
    EXPECT_EQ(InverseErfc(0.0F), 10.0F);
    const struct {
        int count;
        const char* text;
    } cases[] = {{1, "8.4"}, {10, "6.8"}, {100, "4.4"}, {1560, "-3.9"}};
    for (const auto& c : cases) EXPECT_EQ(FixedText(EbNoFromChannelErrors(c.count), 3, 1), c.text) << c.count;
    // Above an error rate of 0.3 the figure stays that of 0.3.
    EXPECT_EQ(EbNoFromChannelErrors(1561), EbNoFromChannelErrors(1560));
    EXPECT_EQ(EbNoFromChannelErrors(5200), EbNoFromChannelErrors(1560));
    // More errors never give a better figure.
    float previous = EbNoFromChannelErrors(0);
    for (int n = 1; n <= 1560; ++n) {
        const float f = EbNoFromChannelErrors(n);
        EXPECT_LE(f, previous) << n;
        previous = f;
    }
}

TEST(EbNo, InverseErfcInvertsTheApproximation) {
    for (float y : {1e-4F, 0.01F, 0.1F, 0.37F, 1.0F}) EXPECT_NEAR(ApproxErfc(InverseErfc(y)), y, 2e-5F * (1 + y)) << y;
}

}  // namespace
}  // namespace orv
