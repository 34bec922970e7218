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

}  // namespace

const std::uint16_t* CrccTable() { return kTable.data(); }

std::uint16_t Crcc(std::span<const std::uint8_t> bytes) {
    unsigned r = 0xFFFF;
    for (std::uint8_t b : bytes) r = kTable[((r >> 8) ^ b) & 0xFF] ^ ((r << 8) & 0xFFFF);
    return static_cast<std::uint16_t>(r);
}

}  // namespace orv
