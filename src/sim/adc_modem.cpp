#include "sim/adc_modem.h"

#include <span>

#include "sim/sim_random.h"

namespace orv::sim {
namespace {

AdcSynthOptions SynthOptions(const SimOptions& options) {
    AdcSynthOptions o;
    o.ebNoDb = options.ebNoDb;
    o.adcOffset = options.adcOffset;
    o.seed = SubSeed(options.seed, 30);
    return o;
}

}  // namespace

bool SentAsFecFrame(const Block514& block) { return block[0] == 'A'; }

AdcModem::AdcModem(const SimOptions& options) : synth_(SynthOptions(options)) {}

std::vector<std::uint8_t> AdcModem::Samples(const Block514& block) {
    std::vector<std::uint8_t> samples;
    if (SentAsFecFrame(block))
        synth_.AppendFecFrame(std::span(block).subspan<kTelemetryBytes - kFecDataBytes, kFecDataBytes>(), samples);
    else
        synth_.AppendUncodedBlock(block, samples);
    return samples;
}

std::vector<std::uint8_t> AdcModem::Closing() {
    std::vector<std::uint8_t> samples;
    synth_.AppendIdle(kAdcClosingSamples, samples);
    return samples;
}

}  // namespace orv::sim
