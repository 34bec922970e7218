#pragma once
// What a simulated station sends: modem type, seed, share of damaged blocks, start of the
// simulated UTC clock and the serial line's speed.
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

struct SimOptions {
    ModemType modem = ModemType::Bytes514;
    std::uint64_t seed = 40;
    double failShare = 0.05;               // share of blocks damaged on the line, 0..1
    std::int64_t startUtc = CurrentUtc();  // simulated UTC of the first block; set it for a repeatable stream
    int baudRate = 1200;                   // serial line speed; 8N1 carries baud / 10 bytes per second
};

// Empty when the options can be simulated, else the reason.
std::string CheckSimOptions(const SimOptions& options);

}  // namespace orv::sim
