#include "displays/power_content.h"

#include "displays/channel_table.h"
#include "text/number_text.h"

namespace orv {
namespace {

constexpr std::string_view kVolts = "Volts";
constexpr std::string_view kBcr1 = "BCR #1";
constexpr std::string_view kBcr2 = "BCR #2";
constexpr std::string_view kBcr3 = "BCR #3";
constexpr std::string_view kAmps = "Amps";
constexpr std::string_view kTx = "Tx Pwr/Cur";

constexpr int kTransmitLow = 0x1C8;  // bit 5: X-band transmitter on (low power)

// How a field's text is made.
enum class Rule {
    Channel,         // channel text
    XBandChannel,    // channel text while the X-band transmitter is on, or in raw mode
    CombinedStates,  // the X transmitter's TWT/FIL/OVR states
    BatteryOff,      // battery off voltage
    SolarOff,        // solar array off voltage
};

struct Row {
    std::string_view group;
    int address;
    Rule rule;
};

// The window's fields in reading order; the channel table names and hints them.
constexpr Row kRows[] = {
    {kVolts, 0x10B, Rule::Channel},
    {kVolts, 0x10C, Rule::Channel},
    {kVolts, 0x10D, Rule::Channel},
    {kVolts, kBatteryOffVoltage, Rule::BatteryOff},
    {kBcr1, 0x10E, Rule::Channel},
    {kBcr1, 0x171, Rule::Channel},
    {kBcr1, 0x172, Rule::Channel},
    {kBcr1, kSolarOffVoltages[0], Rule::SolarOff},
    {kBcr2, 0x111, Rule::Channel},
    {kBcr2, 0x176, Rule::Channel},
    {kBcr2, 0x177, Rule::Channel},
    {kBcr2, 0x178, Rule::Channel},
    {kBcr2, 0x112, Rule::Channel},
    {kBcr2, kSolarOffVoltages[1], Rule::SolarOff},
    {kBcr3, 0x10F, Rule::Channel},
    {kBcr3, 0x173, Rule::Channel},
    {kBcr3, 0x174, Rule::Channel},
    {kBcr3, 0x175, Rule::Channel},
    {kBcr3, 0x110, Rule::Channel},
    {kBcr3, kSolarOffVoltages[2], Rule::SolarOff},
    {kAmps, 0x107, Rule::Channel},
    {kAmps, 0x108, Rule::Channel},
    {kAmps, 0x109, Rule::Channel},
    {kAmps, 0x10A, Rule::Channel},
    {kAmps, 0x170, Rule::Channel},
    {kAmps, 0x106, Rule::Channel},
    {kTx, 0x123, Rule::Channel},
    {kTx, 0x125, Rule::Channel},
    {kTx, 0x17A, Rule::Channel},
    {kTx, 0x17B, Rule::Channel},
    {kTx, 0x122, Rule::Channel},
    {kTx, 0x118, Rule::CombinedStates},
    {kTx, 0x117, Rule::XBandChannel},
    {kTx, 0x119, Rule::XBandChannel},
    {kTx, 0x11A, Rule::Channel},
    {kTx, 0x179, Rule::Channel},
    {kTx, 0x138, Rule::Channel},
};

// The X transmitter's combined TWT/FIL/OVR states from the byte at #118.
std::string CombinedStatesText(unsigned v) {
    if (v > 140 && v < 160) return "0/0/0";
    if (v > 160 && v < 180) return "1/1/1";
    if (v > 190 && v < 210) return "1/0-1";
    if (v > 240) return "1/0/0";
    return "---";
}

std::string FieldText(ConstBytes b, const Row& row, bool raw) {
    const std::uint8_t v = Byte(b, row.address);
    const bool xBandOn = Bit(b, kTransmitLow, 5);
    switch (row.rule) {
        case Rule::Channel: return ChannelText(b, row.address, raw);
        case Rule::XBandChannel: return (xBandOn || raw) ? ChannelText(b, row.address, raw) : "---";
        case Rule::CombinedStates:
            if (raw) return DecimalText(v);
            return xBandOn ? CombinedStatesText(v) : "---";
        case Rule::BatteryOff: return raw ? DecimalText(v) : FixedText(OffVoltage(row.address, v), 4, 2);
        case Rule::SolarOff: return raw ? DecimalText(v) : FixedText(OffVoltage(row.address, v), 3, 1);
    }
    return "---";
}

}  // namespace

const WindowInfo& PowerWindowInfo() {
    static const WindowInfo info{"PowerWindow", " Power          Orv", "Power",
                                 " Shift-L-click to switch between raw & converted values. ", 14, 50, 500, true};
    return info;
}

const std::vector<GroupInfo>& PowerGroups() {
    static const std::vector<GroupInfo> groups = {{kVolts, ""}, {kBcr1, ""}, {kBcr2, ""},
                                                  {kBcr3, ""},  {kAmps, ""}, {kTx, ""}};
    return groups;
}

std::vector<DisplayField> PowerFields(const DisplayInput& input) {
    const Block514 block = PaddedBlock(input.display);
    FieldList out;
    for (const auto& row : kRows) {
        FieldInfo info = ChannelField(row.address, row.group);
        if (row.rule == Rule::CombinedStates) info.valueHint = "Status of TWT/FIL/OVR.  1=on, 0=off";
        out.Add(info, FieldText(block, row, input.raw));
    }
    return out.Take();
}

}  // namespace orv
