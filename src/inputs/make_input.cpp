#include "inputs/make_input.h"

#include "inputs/adc_modem_input.h"
#include "inputs/audio_input.h"
#include "inputs/iq_input.h"
#include "inputs/serial_modem_input.h"

namespace orv {
namespace {

SerialConfig SerialConfigOf(const InputContext& c) {
    SerialConfig config;
    config.device = c.serialDevice;
    config.baudRate = c.state.settings.baudRate;
    return config;
}

}  // namespace

std::unique_ptr<BlockInput> MakeInput(const InputRow& row, const InputContext& c) {
    switch (row.kind) {
        case InputKind::SerialModem:
            return std::make_unique<SerialModemInput>(c.pipeline, SerialConfigOf(c), c.state.flags);
        case InputKind::AdcModem: return std::make_unique<AdcModemInput>(c.pipeline, SerialConfigOf(c), c.state.flags);
        case InputKind::Audio: return std::make_unique<AudioInput>(c.pipeline, c.audio, c.state.flags);
        case InputKind::Iq: return std::make_unique<IqInput>(c.pipeline, c.sdr, c.state.flags);
        case InputKind::RelayClient:
        case InputKind::Kiss: break;
    }
    return nullptr;
}

}  // namespace orv
