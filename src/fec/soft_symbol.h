#pragma once
// Channel symbols and the fixed sizes of one FEC frame.
#include <cstddef>
#include <cstdint>

#include "reception/block.h"

namespace orv {

// One channel symbol: 0 is the surest "0", 255 the surest "1"; the hard decision is the top bit.
using SoftSymbol = std::uint8_t;

inline constexpr bool HardBit(SoftSymbol s) { return s >= 128; }

inline constexpr std::size_t kFecFrameSymbols = 5200;    // 65 rows of 80 symbols
inline constexpr std::size_t kFecRows = 65;
inline constexpr std::size_t kFecColumns = 80;
inline constexpr std::size_t kFecCodedBytes = 320;       // data and parity of both codewords
inline constexpr std::size_t kFecCodedSymbols = 5132;    // 2 x (8 x 320 + 6)
inline constexpr int kFecViterbiSteps = 2566;            // 2560 data bits and the 6 flush bits
inline constexpr std::size_t kRsLength = 255;            // full CCSDS (255,223) codeword
inline constexpr std::size_t kRsParity = 32;
inline constexpr std::size_t kRsPadding = 95;            // leading zero bytes of the shortened code

}  // namespace orv
