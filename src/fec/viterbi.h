#pragma once
// Soft-decision Viterbi decoder for the rate 1/2, constraint length 7 convolutional code
// (symbols P(r & 0x4F), then 1 - P(r & 0x6D)), encoder flushed with six zero bits.
#include <cstdint>
#include <span>

#include "fec/soft_symbol.h"

namespace orv {

// Longest input ViterbiDecode takes: the path metrics are never renormalised and must stay
// inside 32 bits (each step moves them by at most 744).
inline constexpr int kMaxViterbiSteps = 1 << 20;

// Decodes `steps` symbol pairs (2 x steps soft symbols) into (steps - 6) / 8 bytes, bits most
// significant first. Returns the number of bytes written, or -1 when steps is below 6 or above
// kMaxViterbiSteps or a buffer is too short.
int ViterbiDecode(std::span<const SoftSymbol> symbols, int steps, std::span<std::uint8_t> out);

}  // namespace orv
