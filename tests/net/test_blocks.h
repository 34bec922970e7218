#pragma once
// A recording sink for the relay tests, and the numbered blocks they send.
#include <cstdint>
#include <span>
#include <vector>

#include "net/network_block_reader.h"
#include "reception/block.h"
#include "sealed_block.h"

namespace orv::test {

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
