#pragma once
// What a simulated station sends: modem type, seed, share of damaged blocks, start of the
// simulated UTC clock, the serial line's speed and, for the ADC modem, the channel's noise and the
// ADC's offset.
#include <chrono>
#include <cstdint>
#include <string>

#include "reception/startup_settings.h"

namespace orv::sim {

// The system clock in whole seconds since 1970 (UTC).
inline std::int64_t CurrentUtc() {
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
}

inline constexpr int kMinBaudRate = 300;
inline constexpr int kMaxBaudRate = 921600;
// The ADC modem sends one sample byte per channel symbol, 400 a second, whatever the line's speed;
// 8N1 at 4800 baud carries 480 bytes a second.
inline constexpr double kAdcSampleRate = 400.0;
inline constexpr int kAdcMinBaudRate = 4800;
inline constexpr double kMinEbNoDb = -10.0;
inline constexpr double kMaxEbNoDb = 100.0;

struct SimOptions {
    ModemType modem = ModemType::Bytes514;
    std::uint64_t seed = 40;
    double failShare = 0.05;               // share of blocks damaged on the line, 0..1
    std::int64_t startUtc = CurrentUtc();  // simulated UTC of the first block; set it for a repeatable stream
    int baudRate = 1200;                   // serial line speed; 8N1 carries baud / 10 bytes per second
    // ADC modem only: Eb/No of the channel per symbol in dB (the measure the station's FEC figure
    // reports) and the ADC reading of a zero signal (128 is what the station expects).
    double ebNoDb = 10.0;
    double adcOffset = 128.0;
};

// Empty when the options can be simulated, else the reason.
std::string CheckSimOptions(const SimOptions& options);

}  // namespace orv::sim
