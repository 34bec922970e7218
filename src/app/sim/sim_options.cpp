#include "app/sim/sim_options.h"

namespace orv::sim {

std::string CheckSimOptions(const SimOptions& options) {
    if (options.modem == ModemType::Adc) return "the ADC modem type is not available yet";
    if (!(options.failShare >= 0.0 && options.failShare <= 1.0)) return "the failing share must lie between 0 and 1";
    if (options.baudRate < kMinBaudRate || options.baudRate > kMaxBaudRate)
        return "the baud rate must lie between " + std::to_string(kMinBaudRate) + " and " + std::to_string(kMaxBaudRate);
    return {};
}

}  // namespace orv::sim
