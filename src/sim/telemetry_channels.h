#pragma once
// The telemetry half of A and E blocks (addresses #100..#1FF): analog channels as the
// spacecraft's sensors would read them, and the state bytes of the switched equipment.
#include <cstdint>
#include <span>

#include "sim/sim_random.h"
#include "sim/spacecraft_state.h"

namespace orv::sim {

class TelemetryChannels {
public:
    // The seed fixes each channel's slow drift and the levels of the channels no display names.
    explicit TelemetryChannels(std::uint64_t seed);

    // Writes addresses 256..511 of `block` for the spacecraft in `state`; `noise` supplies the
    // small block-to-block jitter of the analog channels.
    void Write(const SpacecraftState& state, SimRandom& noise, std::span<std::uint8_t> block) const;

private:
    std::uint64_t seed_;
};

}  // namespace orv::sim
