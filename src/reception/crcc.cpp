#include "reception/crcc.h"

#include <array>

namespace orv {
namespace {

constexpr std::array<std::uint16_t, 256> MakeTable() {
    std::array<std::uint16_t, 256> t{};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned r = i << 8;
        for (int k = 0; k < 8; ++k) r = (r & 0x8000) ? ((r << 1) ^ 0x1021) : (r << 1);
        t[i] = static_cast<std::uint16_t>(r & 0xFFFF);
    }
    return t;
}

constexpr auto kTable = MakeTable();

// Tables for eight bytes at a time: kSlices[k][i] is the register contribution of byte value i
// followed by k more bytes.
constexpr std::array<std::array<std::uint16_t, 256>, 8> MakeSlices() {
    std::array<std::array<std::uint16_t, 256>, 8> s{};
    s[0] = MakeTable();
    for (std::size_t k = 1; k < 8; ++k)
        for (unsigned i = 0; i < 256; ++i)
            s[k][i] = static_cast<std::uint16_t>(((s[k - 1][i] << 8) & 0xFFFF) ^ s[0][s[k - 1][i] >> 8]);
    return s;
}

constexpr auto kSlices = MakeSlices();

}  // namespace

const std::uint16_t* CrccTable() { return kTable.data(); }

std::uint16_t CrccBytewise(std::span<const std::uint8_t> bytes) {
    unsigned r = 0xFFFF;
    for (std::uint8_t b : bytes) r = kTable[((r >> 8) ^ b) & 0xFF] ^ ((r << 8) & 0xFFFF);
    return static_cast<std::uint16_t>(r);
}

std::uint16_t Crcc(std::span<const std::uint8_t> bytes) { return CrccContinue(0xFFFF, bytes); }

std::uint16_t CrccContinue(std::uint16_t crcc, std::span<const std::uint8_t> bytes) {
    unsigned r = crcc;
    const std::uint8_t* p = bytes.data();
    std::size_t n = bytes.size();
    for (; n >= 8; n -= 8, p += 8) {
        r ^= (static_cast<unsigned>(p[0]) << 8) | p[1];
        r = kSlices[7][r >> 8] ^ kSlices[6][r & 0xFF] ^ kSlices[5][p[2]] ^ kSlices[4][p[3]] ^ kSlices[3][p[4]] ^
            kSlices[2][p[5]] ^ kSlices[1][p[6]] ^ kSlices[0][p[7]];
    }
    for (; n > 0; --n, ++p) r = kTable[((r >> 8) ^ *p) & 0xFF] ^ ((r << 8) & 0xFFFF);
    return static_cast<std::uint16_t>(r);
}

}  // namespace orv
