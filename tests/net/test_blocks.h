#pragma once
// Blocks and a recording sink shared by the relay tests.
#include <cstdint>
#include <span>
#include <vector>

#include "net/network_block_reader.h"
#include "reception/block.h"
#include "reception/crcc.h"

namespace orv::test {

// A 514-byte A block with a correct CRCC whose bytes 2..5 carry a sequence number, so that loss
// and reordering show.
inline Block514 NumberedBlock(std::uint32_t number, char id = 'A') {
    Block514 b{};
    for (std::size_t i = 0; i < b.size(); ++i) b[i] = static_cast<std::uint8_t>(i * 7 + number);
    b[0] = static_cast<std::uint8_t>(id);
    b[1] = ' ';
    for (int k = 0; k < 4; ++k) b[2 + static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(number >> (8 * k));
    const std::uint16_t c = Crcc(std::span(b).first(kTelemetryBytes));
    b[512] = static_cast<std::uint8_t>(c >> 8);
    b[513] = static_cast<std::uint8_t>(c & 0xFF);
    return b;
}

inline std::uint32_t BlockNumber(std::span<const std::uint8_t> b) {
    return static_cast<std::uint32_t>(b[2]) | static_cast<std::uint32_t>(b[3]) << 8 |
           static_cast<std::uint32_t>(b[4]) << 16 | static_cast<std::uint32_t>(b[5]) << 24;
}

// Gathers what a NetworkBlockReader hands on: the new-block signals and the block bytes, cut into
// whole blocks at each signal.
struct BlockCollector : NetworkBlockSink {
    std::vector<std::vector<std::uint8_t>> blocks;
    std::vector<std::size_t> callSizes;
    int newBlocks = 0;

    void SignalNetworkNewBlock() override {
        ++newBlocks;
        blocks.emplace_back();
    }
    void ReceiveBlockBytes(std::span<const std::uint8_t> bytes) override {
        callSizes.push_back(bytes.size());
        if (blocks.empty()) blocks.emplace_back();  // bytes without a signal: a fault the tests catch
        blocks.back().insert(blocks.back().end(), bytes.begin(), bytes.end());
    }
};

inline std::vector<std::uint8_t> Concat(std::initializer_list<std::span<const std::uint8_t>> parts) {
    std::vector<std::uint8_t> out;
    for (auto p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

}  // namespace orv::test
