#pragma once
// The one call the telemetry files make into the spacecraft calibration: a channel's value from
// the byte at its address, the byte after it, the address and the raw flag.
#include <cstdint>

namespace orv {

// Raw: the byte, or byte + 256 x next byte at the 16-bit wheel words 448, 450 and 452.
// Translated: the calibrated engineering value.
float ChannelValue(std::uint8_t low, std::uint8_t next, int address, bool raw);

}  // namespace orv
