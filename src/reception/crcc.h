#pragma once
// CRCC: CRC-16, polynomial 0x1021, preset 0xFFFF, most significant bit first, no final inversion.
#include <cstdint>
#include <span>

namespace orv {

// CRCC over any byte sequence (the receiver passes the 512 telemetry bytes).
std::uint16_t Crcc(std::span<const std::uint8_t> bytes);
// The CRCC of earlier bytes (`crcc`) carried on over `bytes`: Crcc(a + b) == CrccContinue(Crcc(a), b).
std::uint16_t CrccContinue(std::uint16_t crcc, std::span<const std::uint8_t> bytes);

// The same, one byte at a time: the plain form the fast one is checked against.
std::uint16_t CrccBytewise(std::span<const std::uint8_t> bytes);

// The 256-entry table T for polynomial 0x1021, most significant bit first.
const std::uint16_t* CrccTable();

}  // namespace orv
