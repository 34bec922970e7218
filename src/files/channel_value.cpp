#include "files/channel_value.h"

namespace orv {

float ChannelValue(std::uint8_t low, std::uint8_t next, int address, bool raw) {
    (void)raw;  // translation comes with the calibration library
    if (address == 448 || address == 450 || address == 452) return static_cast<float>(low + 256 * next);
    return static_cast<float>(low);
}

}  // namespace orv
