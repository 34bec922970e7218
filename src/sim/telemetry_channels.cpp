#include "sim/telemetry_channels.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "displays/channel_conversion.h"
#include "reception/dates.h"

namespace orv::sim {
namespace {

// What an analog channel's levels are: values in the channel's units, turned into its byte by
// the inverse of its calibration, or bytes themselves.
enum class Scale { Units, Bytes };
constexpr Scale kUnits = Scale::Units;
constexpr Scale kBytes = Scale::Bytes;

// An analog channel and how its value behaves.
struct Analog {
    std::uint16_t address;
    double quiet;        // value with the transponder off, far from perigee
    double transponder;  // change while the transponder is on
    double perigee;      // change at perigee, fading within about 20 MA
    double wander;       // amplitude of a slow drift over the orbit
    double noise;        // +- jitter from block to block
    Scale scale;
};

// Power, receiver and transmitter levels, propulsion and attitude sensors.
constexpr Analog kAnalog[] = {
    // Battery and bus voltages, battery charge regulators, solar array currents.
    {0x10B, 28.6, -0.4, 0, 0.15, 0.08, kUnits},  // main battery
    {0x10C, 28.1, -0.1, 0, 0.10, 0.08, kUnits},  // aux battery
    {0x10D, 28.3, -0.3, 0, 0.10, 0.08, kUnits},  // 28 V switched bus
    {0x10E, 31.8, -0.6, 0, 0.40, 0.10, kUnits},  // BCR 1 input
    {0x111, 31.5, -0.6, 0, 0.40, 0.10, kUnits},  // BCR 2 input
    {0x10F, 31.2, -0.6, 0, 0.40, 0.10, kUnits},  // BCR 3 input
    {0x171, 1.15, 0.25, 0, 0.05, 0.05, kUnits},
    {0x172, 1.05, 0.25, 0, 0.05, 0.05, kUnits},
    {0x176, 1.10, 0.25, 0, 0.05, 0.05, kUnits},
    {0x177, 1.12, 0.25, 0, 0.05, 0.05, kUnits},
    {0x173, 0.98, 0.25, 0, 0.05, 0.05, kUnits},
    {0x174, 1.08, 0.25, 0, 0.05, 0.05, kUnits},
    {0x178, 0.55, 0.25, 0, 0.02, 0.01, kUnits},  // 10 V converter currents and voltages
    {0x175, 0.52, 0.25, 0, 0.02, 0.01, kUnits},
    {0x112, 10.1, 0, 0, 0.05, 0.05, kUnits},
    {0x110, 10.0, 0, 0, 0.05, 0.05, kUnits},
    // Bus currents.
    {0x107, 0.05, 0, 0, 0, 0.10, kUnits},  // EPU (off)
    {0x108, 2.9, 1.9, 0, 0.10, 0.10, kUnits},
    {0x109, 0.35, 0.55, 0, 0.02, 0.02, kUnits},
    {0x10A, 3.6, 1.0, 0, 0.10, 0.10, kUnits},
    {0x170, 38, 4, 0, 1, 1, kBytes},
    {0x106, 0.6, -1.0, 0, 0.15, 0.20, kUnits},  // total battery current, + = charging
    // Transmitter powers and currents: S2 carries the beacon, X and K are off.
    {0x123, 2, 0, 0, 0, 1, kBytes},
    {0x125, 3, 0, 0, 0, 1, kBytes},
    {0x17A, 1.2, 1.1, 0, 0.05, 0.04, kUnits},
    {0x17B, 45, 30, 0, 2, 1, kBytes},
    {0x122, 4, 0, 0, 0, 1, kBytes},
    {0x11A, 2, 0, 0, 0, 1, kBytes},
    {0x179, 1, 0, 0, 0, 1, kBytes},
    {0x138, 60, 70, 0, 3, 2, kBytes},
    {0x117, 0, 0, 0, 0, 0.05, kUnits},
    {0x119, 0, 0, 0, 0, 0.05, kUnits},
    {0x118, 130, 0, 0, 0, 1, kBytes},
    // Receiver AGC (dB of suppression) and transmitter ALC: busy while the transponder is on.
    {0x124, 3, 0, 0, 0, 1, kBytes},
    {0x11E, 0.3, 0, 0, 0, 0.2, kUnits},
    {0x11F, 1.5, 6, 0, 2, 1.5, kUnits},
    {0x126, 2, 0, 0, 0, 1, kBytes},
    {0x120, 1.0, 4, 0, 1.5, 1, kUnits},
    {0x116, 0.2, 0, 0, 0, 0.1, kUnits},
    {0x11D, 70, 0, 0, 0, 1, kBytes},
    {0x11B, 125, 0, 0, 0, 1, kBytes},
    {0x139, 40, 110, 0, 4, 8, kBytes},
    {0x184, 18, 0, 0, 0, 0.6, kBytes},
    {0x11C, 42, 0, 0, 0, 2, kBytes},
    // Propulsion (idle) and the solar panel release units (stowed).
    {0x102, 0.4, 0, 0, 0, 0.05, kUnits},
    {0x101, 0.2, 0, 0, 0, 0.05, kUnits},
    {0x104, 2.0, 0, 0, 0, 0.5, kUnits},
    {0x103, 0.05, 0, 0, 0, 0.02, kUnits},
    {0x105, 3, 0, 0, 0, 1, kBytes},
    {0x114, 40, 0, 0, 0.5, 1, kUnits},
    {0x115, 2.2, 0, 0, 0.05, 0.05, kUnits},
    {0x113, 40, 0, 0, 0, 0.6, kBytes},
    {0x13A, 8, 0, 0, 0, 0.6, kBytes},
    {0x13B, 9, 0, 0, 0, 0.6, kBytes},
    // Attitude: spin rate (about 5 RPM), sun sensors (the spinning omni sensors flicker).
    {0x100, 110, 0, 0, 0.5, 0.6, kBytes},
    {0x12F, 128, 0, 0, 2, 1, kBytes},
    {0x12E, 126, 0, 0, 2, 1, kBytes},
    {0x134, 120, 0, 0, 2, 1, kBytes},
    {0x135, 122, 0, 0, 2, 1, kBytes},
    {0x136, 30, 0, 0, 2, 1, kBytes},
    {0x137, 28, 0, 0, 2, 1, kBytes},
    {0x130, 150, 0, 0, 30, 25, kBytes},
    {0x131, 120, 0, 0, 30, 25, kBytes},
    {0x132, 200, 0, 0, 30, 25, kBytes},
    {0x133, 90, 0, 0, 30, 25, kBytes},
    {0x12D, 150, 0, 0, 10, 5, kBytes},
};

// Temperatures in degrees C at #140..#16F: {address, quiet, transponder, perigee}.
struct Temperature {
    std::uint16_t address;
    double quiet, transponder, perigee;
};

constexpr Temperature kTemperatures[] = {
    {0x140, 18, 1, 1},   {0x141, 12, 0, 1},   {0x142, 24, 2, 1},   {0x143, 25, 2, 1},   {0x144, 24, 2, 1},
    {0x145, 8, 0, 1},    {0x146, 16, -1, 1},  {0x147, 16, -1, 1},  {0x148, 9, 0, 1},    {0x149, 17, -1, 1},
    {0x14A, 18, -1, 1},  {0x14B, 17, -1, 1},  {0x14C, 22, 0, 10},  {0x14D, 18, 0, 10},  {0x14E, -5, 0, 10},
    {0x14F, 14, 0, 10},  {0x150, 20, 0, 10},  {0x151, 2, 0, 10},   {0x152, 14, 0, 1},   {0x153, 12, 0, 2},
    {0x154, 11, 0, 2},   {0x155, 15, 0, 1},   {0x156, 19, 0, 1},   {0x157, 18, 0, 1},   {0x158, 15, 0, 1},
    {0x159, 20, 1, 1},   {0x15A, 21, 1.5, 1}, {0x15B, 17, 3, 1},   {0x15C, 28, 8, 1},   {0x15D, 15, 0, 1},
    {0x15E, 14, 0, 1},   {0x15F, 15, 0, 1},   {0x160, 15, 0, 1},   {0x161, 22, 0.5, 1}, {0x162, 10, 0, 4},
    {0x163, 8, 0, 4},    {0x164, 9, 0, 4},    {0x165, 11, 0, 4},   {0x166, 13, 0, 2},   {0x167, 12, 0, 2},
    {0x168, 12, 0, 2},   {0x169, 13, 0, 2},   {0x16A, 14, 0, 2},   {0x16B, 7, 0, 1},    {0x16C, 7, 0, 1},
    {0x16D, 10, 0, 4},   {0x16E, 4, 0, 6},    {0x16F, 6, 0, 1},
};

std::uint8_t ByteForValue(int address, double value) { return static_cast<std::uint8_t>(RawForValue(address, value)); }

std::uint8_t ClampedByte(double value) { return static_cast<std::uint8_t>(std::clamp(std::lround(value), 0L, 255L)); }

void PutWord(std::span<std::uint8_t> block, std::size_t address, int word) {
    block[address] = static_cast<std::uint8_t>(word & 0xFF);
    block[address + 1] = static_cast<std::uint8_t>((word >> 8) & 0xFF);
}

}  // namespace

TelemetryChannels::TelemetryChannels(std::uint64_t seed) : seed_(seed) {}

void TelemetryChannels::Write(const SpacecraftState& state, SimRandom& noise, std::span<std::uint8_t> block) const {
    const int ma = state.position.ma;
    const double phase = static_cast<double>(state.utc - kLaunchUtc) / kOrbitSeconds;
    const int fromPerigee = std::min(ma, 256 - ma);
    const double perigee = std::exp(-(fromPerigee / 16.0) * (fromPerigee / 16.0));
    const double on = state.transponder ? 1.0 : 0.0;

    // Channels that no display names: steady levels of their own.
    SimRandom levels(SubSeed(seed_, 1));
    std::fill(block.begin() + 0x100, block.begin() + 0x200, std::uint8_t{0});
    for (std::size_t a = 0x100; a < 0x180; ++a) block[a] = static_cast<std::uint8_t>(60 + levels.Below(130));
    for (std::size_t a = 0x100; a < 0x180; ++a)
        if (noise.Chance(0.2)) block[a] = static_cast<std::uint8_t>(block[a] + (noise.Chance(0.5) ? 1 : -1));

    // Each channel drifts slowly with its own period and phase.
    auto drift = [&](std::uint16_t address, double amplitude) {
        const double cycles = 1.0 + address % 3;
        const double shift = static_cast<double>(SubSeed(seed_, address) % 1000) / 1000.0;
        return amplitude * std::sin(2.0 * std::numbers::pi * (phase * cycles + shift));
    };
    for (const auto& c : kAnalog) {
        const double v = c.quiet + c.transponder * on + c.perigee * perigee + drift(c.address, c.wander) +
                         noise.Between(-c.noise, c.noise);
        block[c.address] = c.scale == kBytes ? ClampedByte(v) : ByteForValue(c.address, v);
    }
    for (const auto& t : kTemperatures) {
        const double v =
            t.quiet + t.transponder * on + t.perigee * perigee + drift(t.address, 0.8) + noise.Between(-0.25, 0.25);
        block[t.address] = ByteForValue(t.address, v);
    }
    // X-band transmitter temperatures.
    block[0x12B] = ByteForValue(0x12B, 18 + noise.Between(-0.3, 0.3));
    block[0x12C] = ByteForValue(0x12C, 17 + noise.Between(-0.3, 0.3));

    // Propulsion and the liquid-fuel system are off; wheels are off in spin mode.
    block[0x181] = 0x00;                                   // EPU configuration
    block[0x182] = 0x00;                                   // LIU power
    block[0x183] = 0x00;                                   // EPU power
    block[0x185] = 0;
    block[0x186] = 0;
    block[0x187] = 0x00;                                   // wheel power bits
    for (int a : kWheelWords)  // standing wheels
        PutWord(block, static_cast<std::size_t>(a), RawForValue(a, 0.0) + static_cast<int>(noise.Below(5)) - 2);
    block[0x1DA] = 0x00;                                   // wheel sync bits

    // Equipment switched by the schedule.
    block[0x188] = state.gps ? 0x04 : 0x00;                // experiments: GPS
    block[0x189] = 0x08;                                   // antennas: high gain, L-band high gain
    block[0x18B] = static_cast<std::uint8_t>(0x01 | (state.transponder ? 0 : 0x04));  // main battery, charging
    block[0x1C6] = 0x65;                                   // sun sensor threshold 1.8 V, side pointing, edge pos
    block[0x1C8] = 0x01;                                   // S2 transmitter on
    block[0x1C9] = 0x00;
    block[0x1CA] = 0x00;                                   // receivers: U on (V off), L1 always
    block[0x194] = 0x10;                                   // general beacon on, PSK
    block[0x19F] = 0x01;                                   // spin stabilised
    block[0x1A0] = state.magnetorquer ? 0x01 : 0x00;
    block[0x1A1] = state.magnetorquer ? 40 : 0;            // magnetorquer set value
    block[0x1A2] = 0x00;
    block[0x1D9] = 0x00;                                   // LIU, EPU off, safe, no sensor errors
    block[0x1ED] = 0x00;                                   // no error flags
    block[0x1EE] = 0x60;                                   // X and K transmitters disabled
    // "Off" voltages: battery 25.1 V, solar arrays 30 V.
    block[kBatteryOffVoltage] = RawForOffVoltage(kBatteryOffVoltage, 25.1 + noise.Between(-0.02, 0.02));
    for (int a : kSolarOffVoltages) block[static_cast<std::size_t>(a)] = RawForOffVoltage(a, 30.0 + noise.Between(-0.1, 0.1));

    // Spin sun sensor: counts about 40 apart (a sun angle near 40 degrees), flags, raw count.
    const int a = 10 + static_cast<int>(noise.Below(3)) - 1;
    block[0x190] = static_cast<std::uint8_t>(a);
    block[0x191] = static_cast<std::uint8_t>(a + 40 + static_cast<int>(std::lround(drift(0x191, 3))));
    block[0x192] = 0x03;
    block[0x193] = static_cast<std::uint8_t>(noise.Below(256));
    // Earth sensors: the last crossing near this MA of this orbit.
    const int orbitLow = static_cast<int>(state.position.orbit & 0xFF);
    block[0x18A] = 5;
    block[0x19A] = 32;
    block[0x196] = static_cast<std::uint8_t>(ma & ~7);
    block[0x197] = static_cast<std::uint8_t>(orbitLow);
    block[0x198] = static_cast<std::uint8_t>((ma & ~7) >= 2 ? (ma & ~7) - 2 : 0);
    block[0x199] = static_cast<std::uint8_t>(orbitLow);
    block[0x19B] = static_cast<std::uint8_t>(96 + noise.Below(5) - 2);
    block[0x19C] = static_cast<std::uint8_t>((state.utc / 60) & 0xFF);
    block[0x19D] = static_cast<std::uint8_t>(101 + noise.Below(5) - 2);
    block[0x19E] = static_cast<std::uint8_t>((state.utc / 60 + 7) & 0xFF);

    // Orbit, mean anomaly and the counters.
    block[0x1A5] = static_cast<std::uint8_t>(ma);
    PutWord(block, 0x1A6, OrbitNumber16(state.position.orbit));
    PutWord(block, 0x1D0, state.counters.leila);
    PutWord(block, 0x1DE, state.counters.eventPointer);

    // The spacecraft clock (seconds, minutes, hours, days since 1 January 1978) and the command
    // counter, as the header line shows them; an FEC frame carries only these bytes.
    const DateTime t = BreakDownSeconds(state.utc);
    block[0x1A9] = static_cast<std::uint8_t>(t.second);
    block[0x1AA] = static_cast<std::uint8_t>(t.minute);
    block[0x1AB] = static_cast<std::uint8_t>(t.hour);
    PutWord(block, 0x1AC, DayNumber(t.year, t.month, t.day) - kAmsatDayZero);
    PutWord(block, 0x1E0, state.counters.commandCount);

    // IF matrix: the middle beacon always to S2; U and L1 to S2 while the transponder is on.
    block[0x1FD] = 0x04;
    if (state.transponder) {
        block[0x1F5] = 0x02;
        block[0x1FF] = 0x04;
    }
}

}  // namespace orv::sim
