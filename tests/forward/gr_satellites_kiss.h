#pragma once
// gr-satellites' KISS output, written here byte by byte from its description (not with Orv's own
// framing): for every frame it decodes, a timestamp frame (FEND, command 9, the reception time
// as 8 big-endian bytes of milliseconds since 1970, escaped, FEND) and then the data frame
// (FEND, command 0, the bytes escaped, FEND): 514 bytes for an uncoded AO-40 block, the 256
// Reed-Solomon-decoded bytes for an FEC frame.
#include <array>
#include <cstdint>
#include <utility>
#include <vector>

#include "reception/block.h"

namespace orv::test {

struct GrFrame {
    std::vector<std::uint8_t> bytes;
    std::int64_t utcMilliseconds = 0;
};

inline void AppendGrEscaped(std::vector<std::uint8_t>& out, std::uint8_t b) {
    if (b == 0xC0) {
        out.push_back(0xDB);
        out.push_back(0xDC);
    } else if (b == 0xDB) {
        out.push_back(0xDB);
        out.push_back(0xDD);
    } else {
        out.push_back(b);
    }
}

inline std::vector<std::uint8_t> GrSatellitesKiss(const std::vector<GrFrame>& frames) {
    std::vector<std::uint8_t> out;
    for (const GrFrame& f : frames) {
        out.push_back(0xC0);
        out.push_back(0x09);
        for (int shift = 56; shift >= 0; shift -= 8)
            AppendGrEscaped(out, static_cast<std::uint8_t>(static_cast<std::uint64_t>(f.utcMilliseconds) >> shift));
        out.push_back(0xC0);
        out.push_back(0xC0);
        out.push_back(0x00);
        for (const std::uint8_t b : f.bytes) AppendGrEscaped(out, b);
        out.push_back(0xC0);
    }
    return out;
}

// The 256 data bytes of an FEC frame: the spacecraft's time 02:24:39 on day `day` after
// 1978-01-01 (bytes 169..173), MA 77 (byte 165), check word 0x1234 (224, 225), and FEND and FESC
// bytes that KISS must escape.
inline std::array<std::uint8_t, kFecDataBytes> FecFrameData(std::uint8_t seed, int day = 9494) {
    std::array<std::uint8_t, kFecDataBytes> d{};
    for (std::size_t i = 0; i < d.size(); ++i) d[i] = static_cast<std::uint8_t>(i * 7 + seed);
    const std::pair<std::size_t, int> fields[] = {{10, 0xC0}, {11, 0xDB}, {165, 77},          {169, 39},
                                                  {170, 24},  {171, 2},   {172, day & 0xFF}, {173, day >> 8},
                                                  {224, 0x34}, {225, 0x12}};
    for (const auto& [at, value] : fields) d[at] = static_cast<std::uint8_t>(value);
    return d;
}

}  // namespace orv::test
