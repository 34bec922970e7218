#pragma once
// Blocks for the forwarding tests: numbered A blocks with a good CRCC, and blocks full of the
// bytes KISS must escape.
#include <cstdint>
#include <span>

#include "reception/received_block.h"
#include "reception/block.h"
#include "reception/crcc.h"
#include "sealed_block.h"

namespace orv::test {

// A block with a good CRCC whose bytes 2..5 carry `number`, and whose body holds FEND and FESC
// bytes, so that escaping, loss and reordering all show.
inline Block514 ForwardBlock(std::uint32_t number, char id = 'A') {
    Block514 b{};
    for (std::size_t i = 0; i < b.size(); ++i) b[i] = static_cast<std::uint8_t>(i * 29 + number);
    b[0] = static_cast<std::uint8_t>(id);
    b[1] = ' ';
    for (int k = 0; k < 4; ++k) b[2 + static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(number >> (8 * k));
    b[10] = 0xC0;
    b[11] = 0xDB;
    b[12] = 0xDC;
    b[13] = 0xDD;
    SealCrcc(b);
    return b;
}

inline std::uint32_t ForwardBlockNumber(std::span<const std::uint8_t> b) {
    return static_cast<std::uint32_t>(b[2]) | static_cast<std::uint32_t>(b[3]) << 8 |
           static_cast<std::uint32_t>(b[4]) << 16 | static_cast<std::uint32_t>(b[5]) << 24;
}

inline ReceivedBlock Received(const Block514& b, std::int64_t utc = 1796869479, bool live = true) {
    ReceivedBlock r;
    r.bytes = b;
    r.record = r.bytes.first(kTelemetryBytes);
    r.utcMilliseconds = utc * 1000;
    r.verdict = CrccPasses(b) ? CrccVerdict::Ok : CrccVerdict::Fail;
    r.live = live;
    return r;
}

}  // namespace orv::test
