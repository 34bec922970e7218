#include "inputs/adc_modem_input.h"

#include "pipeline/reception_pipeline.h"

namespace orv {

bool AdcModemInput::Start(std::string& error) {
    // The DSP-93's samples come upright: an inverted sync is not data.
    pipeline_.Adc().Path().SetAcceptInverted(false);
    return SerialModemInput::Start(error);
}

void AdcModemInput::Deliver(std::span<const std::uint8_t> bytes) { pipeline_.AdcSamples(bytes); }

}  // namespace orv
