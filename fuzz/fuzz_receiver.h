#pragma once
// A reception pipeline over its own station state and a manual clock, for the targets that feed
// one: its tap sends every call on, as a real-time relay with clients would, and its sink takes
// every block as the log and the relay do and checks what a block must be.
#include <cstdlib>

#include "pipeline/reception_pipeline.h"
#include "reception/clock.h"
#include "reception/station_state.h"

namespace orv::fuzz {

struct SendingTap final : ByteTap {
    bool TapBytes(std::span<const std::uint8_t>, const ChunkStart&) override { return true; }
};

// A block is 512 or 514 bytes as received, its record those bytes with at most the failed mark.
struct CheckingSink final : BlockSink {
    void TakeBlock(const ReceivedBlock& block) override {
        if (block.bytes.size() != kTelemetryBytes && block.bytes.size() != kFullBlockBytes) std::abort();
        if (block.record.size() != kTelemetryBytes) std::abort();
        for (std::size_t i = 0; i < kTelemetryBytes; ++i) {
            const std::uint8_t mark = i < 2 ? kFailedMark : 0;
            if ((block.record[i] | mark) != (block.bytes[i] | mark)) std::abort();
        }
        if ((block.verdict == CrccVerdict::NotChecked) != (block.bytes.size() == kTelemetryBytes)) std::abort();
        const Block512 logged = StampedRecord(block);
        checksum += logged[0] + logged[511];
    }
    unsigned checksum = 0;
};

struct FuzzPipeline {
    explicit FuzzPipeline(ModemType modem) {
        station.SetModemType(modem);
        pipeline.SetByteTap(&tap);
        pipeline.AddSink(sink);
    }

    StationState station;
    ManualClock clock{1'000'000'000};
    SendingTap tap;
    CheckingSink sink;
    ReceptionPipeline pipeline{station, clock};
};

}  // namespace orv::fuzz
