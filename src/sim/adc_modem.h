#pragma once
// The simulated demodulator in "ADC" mode: what it hands the station for each block the
// spacecraft sends, one raw sample byte per channel symbol, with the channel's noise and the ADC's
// offset. A blocks go out as FEC frames of their telemetry bytes 256..511 (the station rebuilds the
// header line from the spacecraft clock in them); every other block uncoded behind the block sync
// word. The transmissions follow each other without a pause.
#include <cstdint>
#include <vector>

#include "sim/sim_options.h"
#include "fec/adc_synth.h"
#include "reception/block.h"

namespace orv::sim {

// Samples without a transmission after the last block: the station finds an FEC frame only when
// the sample after its last one arrives.
inline constexpr int kAdcClosingSamples = 40;

// Whether the spacecraft sends `block` as an FEC frame.
bool SentAsFecFrame(const Block514& block);

class AdcModem {
public:
    explicit AdcModem(const SimOptions& options);

    // The samples of one block, carrying on the phase and the noise of the previous one.
    std::vector<std::uint8_t> Samples(const Block514& block);
    // The samples after the last block.
    std::vector<std::uint8_t> Closing();

private:
    AdcSynthesizer synth_;
};

}  // namespace orv::sim
