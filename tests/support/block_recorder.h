#pragma once
// A sink that keeps a copy of every completed block the reception pipeline hands it.
#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "reception/received_block.h"

namespace orv::test {

// A ReceivedBlock with its bytes copied, to be looked at after the call.
struct RecordedBlock {
    std::vector<std::uint8_t> bytes;  // as received
    Block512 record{};                // as kept and shown (failed mark)
    CrccVerdict verdict = CrccVerdict::NotChecked;
    BlockOrigin origin = BlockOrigin::Serial;
    std::int64_t utcMilliseconds = 0;
    bool timeFromInput = false;
    bool live = true;
    std::optional<std::array<std::uint8_t, kFecDataBytes>> fecData;

    char Kind() const { return BlockId(bytes); }
    bool FromFec() const { return origin == BlockOrigin::FecFrame; }
    std::string Verdict() const { return std::string(VerdictText(verdict)); }
    // The record as the log stores it.
    Block512 Logged() const {
        ReceivedBlock b;
        b.bytes = bytes;
        b.record = record;
        b.verdict = verdict;
        return StampedRecord(b);
    }
};

inline RecordedBlock Record(const ReceivedBlock& block) {
    RecordedBlock r;
    r.bytes.assign(block.bytes.begin(), block.bytes.end());
    std::copy_n(block.record.begin(), kTelemetryBytes, r.record.begin());
    r.verdict = block.verdict;
    r.origin = block.origin;
    r.utcMilliseconds = block.utcMilliseconds;
    r.timeFromInput = block.timeFromInput;
    r.live = block.live;
    if (block.fecData) {
        r.fecData.emplace();
        std::copy(block.fecData->begin(), block.fecData->end(), r.fecData->begin());
    }
    return r;
}

struct BlockRecorder final : BlockSink {
    std::vector<RecordedBlock> blocks;
    std::function<void(const ReceivedBlock&)> onBlock;  // also called, when set
    void TakeBlock(const ReceivedBlock& block) override {
        blocks.push_back(Record(block));
        if (onBlock) onBlock(block);
    }
};

}  // namespace orv::test
