#pragma once
// The simulated spacecraft and modem: a deterministic stream of telemetry blocks for a seed and
// a start time. Mostly A blocks; in every third slot a K, E, L, M, E or N block in turn, now and
// then a D block instead; a chosen share damaged on the line. With the ADC modem the wire bytes are
// the demodulator's samples instead (adc_modem.h) and the channel's noise does the damage.
#include <cstdint>
#include <optional>
#include <vector>

#include "sim/adc_modem.h"
#include "sim/event_buffer.h"
#include "sim/sim_options.h"
#include "sim/sim_random.h"
#include "sim/telemetry_channels.h"
#include "reception/block.h"

namespace orv::sim {

struct SimBlock {
    Block514 block{};                // as the spacecraft sent it, with its CRCC
    std::vector<std::uint8_t> wire;  // as the modem delivers it: 512 or 514 bytes, damaged when !intact;
                                     // ADC: the samples of its transmission
    bool intact = true;              // false: line errors, the wire bytes fail the CRCC
    bool fecFrame = false;           // ADC: sent as an FEC frame of its telemetry bytes 256..511
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
    // What the modem sends after the last block: nothing, or with the ADC modem a moment of idle
    // samples.
    std::vector<std::uint8_t> Closing();
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
    std::optional<AdcModem> adc_;
    std::int64_t made_ = 0;
    std::int64_t lastUtc_;
    double nextOffset_ = 0;
    int sideSlot_ = 0;
    int dumpPage_ = 0;
};

}  // namespace orv::sim
