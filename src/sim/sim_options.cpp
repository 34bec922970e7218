#include "sim/sim_options.h"

namespace orv::sim {

std::string CheckSimOptions(const SimOptions& options) {
    if (!(options.failShare >= 0.0 && options.failShare <= 1.0)) return "the failing share must lie between 0 and 1";
    if (options.baudRate < kMinBaudRate || options.baudRate > kMaxBaudRate)
        return "the baud rate must lie between " + std::to_string(kMinBaudRate) + " and " + std::to_string(kMaxBaudRate);
    if (options.modem == ModemType::Adc) {
        if (options.baudRate < kAdcMinBaudRate)
            return "the ADC modem's 400 samples a second need a line of at least " + std::to_string(kAdcMinBaudRate) +
                   " baud";
        if (!(options.ebNoDb >= kMinEbNoDb && options.ebNoDb <= kMaxEbNoDb)) return "the Eb/No must lie between -10 and 100 dB";
        if (!(options.adcOffset >= 0.0 && options.adcOffset <= 255.0)) return "the ADC offset must lie between 0 and 255";
    }
    return {};
}

}  // namespace orv::sim
