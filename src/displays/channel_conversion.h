#pragma once
// The spacecraft calibration: telemetry address and byte(s) to an engineering value, and the
// display text of one channel. The displays, the channel graph and the export all use it.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "reception/block.h"

namespace orv {

// One coefficient set: value = a*b^3 + b*b^2 + c*b + d for the byte b.
struct Coefficients {
    float a = 0.0F;  // cubic
    float b = 0.0F;  // square
    float c = 0.0F;  // linear
    float d = 0.0F;  // offset
};

inline constexpr int kCalibratedFirst = 0x100;   // first address with a calibration map entry
inline constexpr int kCalibratedEnd = 0x180;     // addresses from here on carry their own key
inline constexpr int kIdentitySet = 15;          // c = 1, the byte itself
inline constexpr int kArccosSet = 10;            // the omni solar angles #130..#133
inline constexpr std::array<int, 3> kWheelWords = {0x1C0, 0x1C2, 0x1C4};  // 16-bit wheel speeds
inline constexpr int kOnOffFirst = 0x182;        // #182 and #183 read "ON" for #AA, else "off"
inline constexpr int kOnOffLast = 0x183;
inline constexpr std::uint8_t kOnByte = 0xAA;
inline constexpr int kBatteryOffVoltage = 0x18C;                                // battery off voltage
inline constexpr std::array<int, 3> kSolarOffVoltages = {0x18D, 0x18E, 0x18F};  // solar arrays, BCR 1..3

// The calibration map: coefficient set of each address #100..#17F.
extern const std::array<std::uint8_t, kCalibratedEnd - kCalibratedFirst> kCalibrationMap;
// The coefficient table; sets 36..45 are all zero and named by no address.
extern const std::array<Coefficients, 46> kCoefficientTable;

bool IsWheelWord(int address);

// The channel conversion. `low` is the byte at `address`, `next` the byte after it. Raw: the
// byte, or the 16-bit word low + 256 * next for the wheel words. Converted: the calibration of
// the address, evaluated in extended precision and rounded to single precision. Addresses
// below #100 have no calibration entry; their converted value is the byte itself.
float ChannelConversion(std::uint8_t low, std::uint8_t next, int address, bool raw);

// The inverse of the converted channel: the raw value ChannelConversion turns into the value
// nearest `value`, a byte 0..255 or, for a wheel word, a word 0..65535 (low + 256 * next).
// Values beyond the calibration's range give the raw value at its end.
int RawForValue(int address, double value);

// The off voltage of #18C (the battery) or #18D..#18F (the solar arrays) in volts: the byte,
// plus 256 below 64 (battery) or 128 (solar arrays), times a factor plus an offset.
float OffVoltage(int address, std::uint8_t byte);
// The byte whose off voltage is nearest `volts`.
std::uint8_t RawForOffVoltage(int address, double volts);

// The display text of the channel at `address` of `block` (512 or 514 bytes). #182/#183 read
// "ON"/"off"; raw values are whole numbers ("#" and four hex digits for the wheel words);
// converted values have four significant digits and one decimal between -100 and 100.
// An address outside the block gives "---".
std::string ChannelText(ConstBytes block, int address, bool raw);

// The text of a channel value as ChannelText writes it.
std::string ChannelValueText(float value, int address, bool raw);

// A telemetry address written "#1A7/423".
std::string TelemetryAddressText(int address);

// The Amsat Day of a date given as year, month and day text, as decimal text. A text that is
// not a whole number reads as year 1970, month 1 or day 1; "error" when no day results.
std::string AmsatDayFromDateText(std::string_view year, std::string_view month, std::string_view day);

// What a display window hands to the channel graph when a channel caption is clicked.
struct GraphRequest {
    int address = 0;
    std::string title;
    std::string units;
};

}  // namespace orv
