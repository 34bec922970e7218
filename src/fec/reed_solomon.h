#pragma once
// CCSDS (255,223) Reed-Solomon code over GF(256)/0x187, generator roots beta^(112 + j), j = 0..31,
// beta = alpha^11, conventional representation. Position 0 of a codeword is the coefficient of the
// highest power; the frame uses it shortened by 95 leading zero bytes.
#include <cstdint>
#include <span>

#include "fec/soft_symbol.h"

namespace orv {

// Errors-only decoding in place. Returns the number of symbols corrected (corrections in the
// zero padding count too), 0 when the syndromes are all zero, or -1 when the codeword cannot be
// decoded; then the codeword is unchanged, except when the error values could not all be
// computed, in which case the corrections already made stay.
int RsDecode(std::span<std::uint8_t, kRsLength> codeword);

// The 32 parity bytes of the message `data` (the bytes before the parity, leading zeros may be
// left out), computed by division by the generator.
void RsParity(std::span<const std::uint8_t> data, std::span<std::uint8_t, kRsParity> parity);

// One step of that division: feeds one message byte into a 32-byte parity register.
void RsParityStep(std::uint8_t byte, std::span<std::uint8_t, kRsParity> reg);

}  // namespace orv
