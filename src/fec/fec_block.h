#pragma once
// The 514-byte A block rebuilt from a decoded FEC frame: four text lines (header with date, time
// and check word, a framed banner), the 256 decoded bytes and a fresh CRCC.
#include <cstdint>
#include <span>
#include <string>

#include "fec/soft_symbol.h"
#include "reception/block.h"

namespace orv {

// Offsets into the decoded data of the values the header line and the FEC log take.
inline constexpr std::size_t kFecSecondsOffset = 169;  // then minutes 170, hours 171
inline constexpr std::size_t kFecDayOffset = 172;      // little-endian day count from 1978-01-01
inline constexpr std::size_t kFecMaOffset = 165;
inline constexpr std::size_t kFecCheckOffset = 224;    // little-endian check word

// Day count D of the frame (D = 0 is 1978-01-01).
int FecDayCount(std::span<const std::uint8_t, kFecDataBytes> data);

// "YYYY-MM-DD" of the day D days after 1 January 1978.
std::string FecDateText(int dayCount);

// "HH:MM:SS" of the frame; each number with a leading "0" below 10.
std::string FecTimeText(std::span<const std::uint8_t, kFecDataBytes> data);

// The reconstructed block, CRCC at 512 (high) and 513 (low).
Block514 ReconstructFecBlock(std::span<const std::uint8_t, kFecDataBytes> data);

}  // namespace orv
