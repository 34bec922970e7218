#pragma once
// Constant tables of the FEC frame: sync vector, scrambler, GF(256), Reed-Solomon generator and
// the soft-decision metrics of the Viterbi decoder. All are generated once, on first use.
#include <array>
#include <cstdint>

namespace orv {

// The 65 sync bits spread over column 0 of an FEC frame, bit 0 first.
const std::array<std::uint8_t, 65>& SyncVector();

// The CCSDS pseudo-randomizer sequence XORed onto the 320 transmitted bytes.
const std::array<std::uint8_t, 320>& ScramblerTable();

// GF(256) with field polynomial x^8 + x^7 + x^2 + x + 1 (0x187) and primitive element 0x02.
struct GaloisField {
    static constexpr int kZeroLog = 255;          // logarithm stored for the element 0
    std::array<std::uint8_t, 256> exp{};          // alpha^i, i = 0..254; entry 255 is 0
    std::array<std::uint8_t, 256> log{};          // log of 1..255; log[0] = 255
    std::array<std::uint8_t, 512> expWide{};      // alpha^(i mod 255) for i = 0..509, saves a modulo

    std::uint8_t Mul(std::uint8_t a, std::uint8_t b) const {
        return (a == 0 || b == 0) ? 0 : expWide[log[a] + log[b]];
    }
};
const GaloisField& Gf();

// Reed-Solomon generator: roots beta^(112 + j), j = 0..31, beta = alpha^11. The 33 coefficients as
// logarithms, highest power first.
inline constexpr int kRsFirstRoot = 112;
inline constexpr int kRsRootSpacing = 11;
inline constexpr int kRsSpacingInverse = 116;     // 11 x 116 = 1 (mod 255)
const std::array<std::uint8_t, 33>& RsGeneratorLogs();

// Expected symbol pair of a rate 1/2, K = 7 encoder register value r (0..127): the first symbol in
// bit 1, the second in bit 0.
inline constexpr int Parity(unsigned v) {
    v ^= v >> 16;
    v ^= v >> 8;
    v ^= v >> 4;
    v ^= v >> 2;
    v ^= v >> 1;
    return static_cast<int>(v & 1U);
}
inline constexpr int BranchLabel(unsigned r) { return 2 * Parity(r & 0x4F) + (1 - Parity(r & 0x6D)); }

// Soft-decision metric of receiving soft symbol s when bit b was sent: ViterbiMetricTable()[b][s].
const std::array<std::array<std::int32_t, 256>, 2>& ViterbiMetricTable();

}  // namespace orv
