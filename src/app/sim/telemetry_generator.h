#pragma once
// The simulated spacecraft and modem: a deterministic stream of telemetry blocks for a seed and
// a start time. Mostly A blocks; in every third slot a K, E, L, M, E or N block in turn, now and
// then a D block instead; a chosen share damaged on the line.
#include <cstdint>
#include <vector>

#include "app/sim/event_buffer.h"
#include "app/sim/sim_options.h"
#include "app/sim/sim_random.h"
#include "app/sim/telemetry_channels.h"
#include "reception/block.h"

namespace orv::sim {

struct SimBlock {
    Block514 block{};                // as the spacecraft sent it, with its CRCC
    std::vector<std::uint8_t> wire;  // as the modem delivers it: 512 or 514 bytes, damaged when !intact
    bool intact = true;              // false: line errors, the wire bytes fail the CRCC
    double offset = 0;               // seconds from the start of the stream to the block's first byte
    std::int64_t utc = 0;            // simulated UTC of the block

    char Kind() const { return static_cast<char>(block[0]); }
};

class TelemetryGenerator {
public:
    explicit TelemetryGenerator(const SimOptions& options);

    SimBlock Next();

    // Offset of the block the next call makes.
    double NextOffset() const { return nextOffset_; }
    const SimOptions& Options() const { return options_; }

private:
    char NextKind();
    void AdvanceSpacecraft(std::int64_t utc);
    void BuildA(Block514& block, const SpacecraftState& state);
    void BuildE(Block514& block);
    void BuildD(Block514& block, std::int64_t utc);

    SimOptions options_;
    SimRandom kinds_, noise_, damage_, happenings_;
    TelemetryChannels channels_;
    SpacecraftCounters counters_;
    EventBuffer events_;
    std::int64_t made_ = 0;
    std::int64_t lastUtc_;
    double nextOffset_ = 0;
    int sideSlot_ = 0;
    int dumpPage_ = 0;
};

}  // namespace orv::sim
