#pragma once
// Telemetry blocks for tests: a standard block of a given kind and fill, and the 514-byte form
// the modem delivers, with a correct or a deliberately damaged CRCC.
#include <algorithm>
#include <cstdint>
#include <span>

#include "reception/block.h"
#include "reception/crcc.h"

namespace orv::test {

// What a damaged block's CRCC is off by: both bytes differ from the correct ones, so a check of
// either byte (or of a stamp that copies them) sees the CRCC as received.
inline constexpr std::uint16_t kCrccDamage = 0x5A5A;

// Writes the CRCC of bytes 0..511 into bytes 512 (high) and 513 (low); with good = false the
// CRCC written is off by kCrccDamage, so that the block fails its check.
inline void SealCrcc(std::span<std::uint8_t, kFullBlockBytes> block, bool good = true) {
    std::uint16_t crcc = Crcc(block.first<kTelemetryBytes>());
    if (!good) crcc ^= kCrccDamage;
    block[512] = static_cast<std::uint8_t>(crcc >> 8);
    block[513] = static_cast<std::uint8_t>(crcc & 0xFF);
}

// A block as the modem delivers it: the 512 telemetry bytes, then their CRCC (see SealCrcc).
inline Block514 OnTheWire(std::span<const std::uint8_t, kTelemetryBytes> telemetry, bool good = true) {
    Block514 b{};
    std::copy(telemetry.begin(), telemetry.end(), b.begin());
    SealCrcc(b, good);
    return b;
}

// A standard block of kind `id` ('A', 'E', 'K', ...): the ID at byte 0, a space at byte 1,
// every other byte `fill`.
inline Block512 StandardBlock(char id, std::uint8_t fill = 0) {
    Block512 b;
    b.fill(fill);
    b[0] = static_cast<std::uint8_t>(id);
    b[1] = ' ';
    return b;
}

// The standard block of kind `id` and `fill` as the modem delivers it, its CRCC correct or
// damaged.
inline Block514 SealedBlock(char id, bool good = true, std::uint8_t fill = 0) {
    return OnTheWire(StandardBlock(id, fill), good);
}

// A sealed standard block whose bytes 2..5 carry `number` (little-endian) and whose other bytes
// follow a pattern of the number, so that loss, reordering and mixed-up bytes show.
inline Block514 NumberedBlock(std::uint32_t number, char id = 'A', bool good = true) {
    Block514 b{};
    for (std::size_t i = 0; i < kTelemetryBytes; ++i) b[i] = static_cast<std::uint8_t>(i * 7 + number);
    b[0] = static_cast<std::uint8_t>(id);
    b[1] = ' ';
    for (std::size_t k = 0; k < 4; ++k) b[2 + k] = static_cast<std::uint8_t>(number >> (8 * k));
    SealCrcc(b, good);
    return b;
}

// The number a NumberedBlock carries; `block` holds at least 6 bytes.
inline std::uint32_t BlockNumber(std::span<const std::uint8_t> block) {
    return static_cast<std::uint32_t>(block[2]) | static_cast<std::uint32_t>(block[3]) << 8 |
           static_cast<std::uint32_t>(block[4]) << 16 | static_cast<std::uint32_t>(block[5]) << 24;
}

}  // namespace orv::test
