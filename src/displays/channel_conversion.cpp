#include "displays/channel_conversion.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>

#include "text/number_text.h"
#include "reception/dates.h"
#include "reception/settings_store.h"

namespace orv {

// clang-format off
const std::array<std::uint8_t, kCalibratedEnd - kCalibratedFirst> kCalibrationMap = {
    25, 30, 31, 13, 32, 15,  5,  0,  6,  7,  2,  3,  3,  3,  8,  9,  // #100
     4,  9,  4, 15, 29, 28, 20, 30, 15, 18, 15, 24, 15, 23, 21, 22,  // #110
    19, 16, 15, 15, 15, 15, 15, 33, 34, 15, 35, 17, 17, 15, 12, 12,  // #120
    10, 10, 10, 10, 11, 11, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15,  // #130
    14, 14, 14, 14, 14, 14, 14, 14, 14, 14, 14, 14, 14, 14, 14, 14,  // #140
    14, 14, 14, 14, 14, 14, 14, 14, 14, 14, 14, 14, 14, 14, 14, 14,  // #150
    14, 14, 14, 14, 14, 14, 14, 14, 14, 14, 14, 14, 14, 14, 14, 14,  // #160
    15, 26, 26, 26, 26, 27, 26, 26, 27, 15,  1, 15, 15, 15, 15, 15,  // #170
};

const std::array<Coefficients, 46> kCoefficientTable = {{
    {0.0F, 0.0F, 0.2035F, -2.85F},                    //  0 #107
    {0.0F, 0.0F, 0.042922F, -0.33333F},               //  1 #17A
    {0.0F, 0.0F, 0.1024F, -0.653F},                   //  2 #10A
    {0.0F, 0.0F, 0.1548F, -1.484F},                   //  3 #10B..#10D
    {0.0F, 0.0F, 0.0657F, -0.712F},                   //  4 #110 #112
    {0.0F, 0.0F, 0.241F, -31.28F},                    //  5 #106
    {0.0F, 0.0F, 0.197F, -0.739F},                    //  6 #108
    {0.0F, 0.0F, 0.0412F, -0.76F},                    //  7 #109
    {0.0F, 0.0F, 0.1522F, -1.06F},                    //  8 #10E
    {0.0F, 0.0F, 0.1318F, -0.923F},                   //  9 #10F #111
    {0.0F, 0.0F, 0.0F, 0.0F},                         // 10 #130..#133, arccos rule
    {5.81e-06F, -0.0024468F, 0.64187F, -55.179F},     // 11 #134 #135
    {3.61e-06F, -0.0015379F, 0.3682F, -31.5011F},     // 12 #12E #12F
    {0.0F, 0.0F, 0.0503F, -0.3154F},                  // 13 #103
    {0.0F, 0.0F, 0.65911F, -69.72F},                  // 14 #140..#16F temperatures
    {0.0F, 0.0F, 1.0F, 0.0F},                         // 15 identity
    {0.0F, 0.0F, -0.0704F, 9.011F},                   // 16 #121
    {0.0F, 0.0F, -0.413F, 103.8F},                    // 17 #12B #12C
    {0.0F, 0.0F, 0.103F, -0.95F},                     // 18 #119
    {0.0F, 0.0F, 0.129F, -7.9F},                      // 19 #120
    {0.0F, 0.0F, 0.154F, -10.6F},                     // 20 #116
    {0.0F, 0.0F, 0.254F, -14.8F},                     // 21 #11E
    {0.0F, 0.0F, 0.457F, -31.9F},                     // 22 #11F
    {0.0F, -0.004F, 1.25F, -72.0F},                   // 23 #11D
    {0.0F, -0.011F, 3.66F, -284.0F},                  // 24 #11B
    {-1.3867e-06F, 0.004702F, -1.216F, 83.67F},       // 25 #100
    {0.0F, 0.0F, 0.1014F, -0.6212F},                  // 26 #171..#174 #176 #177
    {0.0F, 0.0F, 0.0125F, -0.0875F},                  // 27 #175 #178
    {0.0F, 0.0F, 0.1235F, -1.235F},                   // 28 #115
    {0.0F, 0.0F, 2.3406F, -197.1F},                   // 29 #114
    {0.0F, 0.0F, 0.0815F, -1.253F},                   // 30 #101 #117
    {0.0F, 0.0F, 0.0835F, -1.381F},                   // 31 #102
    {0.0F, 0.0F, 1.2209544F, -263.0537F},             // 32 #104
    {0.0F, 0.0F, -0.0743F, 9.51F},                    // 33 #127
    {0.0F, 0.0F, 0.1134F, -13.27F},                   // 34 #128
    {0.0F, 0.0F, 0.25F, -24.25F},                     // 35 #12A
}};
// clang-format on

namespace {

constexpr float kPi = 3.141592F;  // the single-precision value the calibration was made with

// Wheel speed in RPM from the 16-bit word: (1 / (word + 2) - 1/24576) * 2304000000/19.
constexpr long double kWheelOffset = 4.0690104166666664e-05L;
constexpr long double kWheelScale = 121263157.89473684L;
constexpr unsigned kLargestWord = 0xFFFF;

float WheelSpeed(unsigned word) {
    if (word == 0) return 0.0F;
    const long double v = (1.0L / (word + 2) - kWheelOffset) * kWheelScale;
    return static_cast<float>(v);
}

// The word whose speed is nearest `rpm` (word 0, also 0 RPM, is never the answer).
int WheelWordForSpeed(double rpm) {
    const long double reciprocal = rpm / kWheelScale + kWheelOffset;  // 1 / (word + 2)
    if (!(reciprocal > 1.0L / (kLargestWord + 2))) return kLargestWord;   // slower than the slowest word
    return static_cast<int>(std::clamp(std::llround(1.0L / reciprocal - 2), 1LL, static_cast<long long>(kLargestWord)));
}

// Set key of an address: its own value from #180 on, the map entry in #100..#17F, none below.
int SetKey(int address) {
    if (address >= kCalibratedEnd) return address;
    if (address >= kCalibratedFirst) return kCalibrationMap[static_cast<std::size_t>(address - kCalibratedFirst)];
    return -1;
}

// The coefficient set of a key; keys that name no set (none, #180 on) read the byte itself.
const Coefficients& CoefficientsOf(int key) {
    const bool named = key >= 0 && key < static_cast<int>(kCoefficientTable.size());
    return kCoefficientTable[static_cast<std::size_t>(named ? key : kIdentitySet)];
}

// A coefficient as the decimal it was written as: the shortest text that reads back as the
// float. Inverting with it rather than with the float's binary value keeps the bytes chosen
// for values that lie halfway between two bytes the way the decimal calibration has them.
double WrittenDecimal(float coefficient) {
    char text[32];
    const auto written = std::to_chars(text, text + sizeof text, coefficient);
    double value = 0;
    std::from_chars(text, written.ptr, value);
    return value;
}

std::uint8_t ClampedByte(long value) { return static_cast<std::uint8_t>(std::clamp(value, 0L, 255L)); }

// Off voltages: the byte, wrapped above 255 below `wrapBelow`, times `factor` plus `offset`.
struct OffVoltageRule {
    unsigned wrapBelow;
    float factor;
    float offset;
};

const OffVoltageRule& OffVoltageRuleOf(int address) {
    static constexpr OffVoltageRule kBattery{64, 0.04F, 17.76F};
    static constexpr OffVoltageRule kSolarArray{128, 0.1F, -5.6F};
    return address == kBatteryOffVoltage ? kBattery : kSolarArray;
}

}  // namespace

bool IsWheelWord(int address) { return std::find(kWheelWords.begin(), kWheelWords.end(), address) != kWheelWords.end(); }

float ChannelConversion(std::uint8_t low, std::uint8_t next, int address, bool raw) {
    const int key = SetKey(address);
    if (IsWheelWord(key)) {
        const unsigned word = low + 256U * next;
        return raw ? static_cast<float>(word) : WheelSpeed(word);
    }
    if (raw) return low;
    if (key == kArccosSet) {
        const float x = static_cast<float>(low) / 255.0F;
        return static_cast<float>(std::acos(static_cast<long double>(x)) * 180.0L / kPi);
    }
    const Coefficients& k = CoefficientsOf(key);
    const long double b = low;
    const long double v = static_cast<long double>(k.a) * b * b * b + static_cast<long double>(k.b) * b * b +
                          static_cast<long double>(k.c) * b + static_cast<long double>(k.d);
    return static_cast<float>(v);
}

int RawForValue(int address, double value) {
    const int key = SetKey(address);
    if (IsWheelWord(key)) return WheelWordForSpeed(value);
    const Coefficients& k = CoefficientsOf(key);
    if (key != kArccosSet && k.a == 0.0F && k.b == 0.0F && k.c != 0.0F)
        return ClampedByte(std::lround((value - WrittenDecimal(k.d)) / WrittenDecimal(k.c)));
    // The arccos rule and the curved sets: the byte whose value is nearest.
    int best = 0;
    double bestDistance = std::numeric_limits<double>::infinity();
    for (int b = 0; b < 256; ++b) {
        const double distance = std::fabs(ChannelConversion(static_cast<std::uint8_t>(b), 0, address, false) - value);
        if (distance < bestDistance) {
            best = b;
            bestDistance = distance;
        }
    }
    return best;
}

float OffVoltage(int address, std::uint8_t byte) {
    const OffVoltageRule& rule = OffVoltageRuleOf(address);
    const unsigned v = byte < rule.wrapBelow ? byte + 256U : byte;
    return static_cast<float>(static_cast<long double>(v) * rule.factor + static_cast<long double>(rule.offset));
}

std::uint8_t RawForOffVoltage(int address, double volts) {
    const OffVoltageRule& rule = OffVoltageRuleOf(address);
    const long wrapped = std::lround((volts - WrittenDecimal(rule.offset)) / WrittenDecimal(rule.factor));
    const long first = rule.wrapBelow;  // the readings run from byte wrapBelow up to byte wrapBelow - 1 + 256
    return static_cast<std::uint8_t>(std::clamp(wrapped, first, first + 255) & 0xFF);
}

std::string ChannelValueText(float value, int address, bool raw) {
    if (raw) {
        if (IsWheelWord(address)) {
            char buf[16];
            std::snprintf(buf, sizeof buf, "#%04X", static_cast<unsigned>(value) & 0xFFFFU);
            return buf;
        }
        return FixedText(value, 5, 0);
    }
    return FixedText(value, 4, (value > -100.0F && value < 100.0F) ? 1 : 0);
}

std::string ChannelText(ConstBytes block, int address, bool raw) {
    if (address < 0 || static_cast<std::size_t>(address) >= block.size()) return "---";
    const std::uint8_t low = block[static_cast<std::size_t>(address)];
    if (address == kOnOffFirst || address == kOnOffLast) return low == kOnByte ? "ON" : "off";
    const std::size_t nextIndex = static_cast<std::size_t>(address) + 1;
    const std::uint8_t next = nextIndex < block.size() ? block[nextIndex] : 0;
    return ChannelValueText(ChannelConversion(low, next, address, raw), address, raw);
}

std::string TelemetryAddressText(int address) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "#%X/%d", static_cast<unsigned>(address), address);
    return buf;
}

namespace {

// A whole number in the 32-bit range, else the fallback.
float WholeOr(std::string_view text, float fallback) {
    long long v = 0;
    if (!ParseWholeNumber(text, v) || v < INT32_MIN || v > INT32_MAX) return fallback;
    return static_cast<float>(v);
}

}  // namespace

std::string AmsatDayFromDateText(std::string_view yearText, std::string_view monthText, std::string_view dayText) {
    float y = WholeOr(yearText, 1970.0F);
    float m = WholeOr(monthText, 1.0F);
    const float d = WholeOr(dayText, 1.0F);
    if (m <= 2.0F) {
        y -= 1.0F;
        m += 12.0F;
    }
    const long double e = std::trunc(static_cast<long double>(y) * 365.25L);
    const long double f = std::trunc((static_cast<long double>(m) + 1) * 30.6L);
    const long double n = std::trunc(e + f + d - 428 - kAmsatDayZero);
    if (!std::isfinite(n) || std::fabs(n) > 9.0e18L) return "error";
    return std::to_string(static_cast<long long>(n));
}

}  // namespace orv
