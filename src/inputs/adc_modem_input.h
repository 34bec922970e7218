#pragma once
// A DSP-93 in ADC mode over the serial port: every byte is one raw ADC sample, which goes to the
// reception pipeline's ADC path (sync search, uncoded blocks, FEC frames).
#include "inputs/serial_modem_input.h"

namespace orv {

class AdcModemInput final : public SerialModemInput {
    Q_OBJECT
public:
    using SerialModemInput::SerialModemInput;
    bool Start(std::string& error) override;

protected:
    void Deliver(std::span<const std::uint8_t> bytes) override;
};

}  // namespace orv
