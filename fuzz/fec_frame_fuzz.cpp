// The FEC frame decoder on arbitrary soft symbols: the input, repeated to fill a frame.
#include <array>
#include <cstddef>
#include <cstdint>

#include "fec/fec_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    std::array<orv::SoftSymbol, orv::kFecFrameSymbols> frame{};
    for (std::size_t i = 0; i < frame.size(); ++i) frame[i] = data[i % size];
    orv::FecStatus status;
    orv::FecData decoded{};
    orv::DecodeFecFrame(frame, status, decoded);
    return 0;
}
