#include "displays/temperature_content.h"

#include "displays/channel_table.h"
#include "reception/settings_store.h"

namespace orv {
namespace {

constexpr std::string_view kBatteries = "Batteries";
constexpr std::string_view kSolarPanels = "Solar Panels";
constexpr std::string_view kFrame = "S/C Frame";
constexpr std::string_view kReceivers = "Receivers";
constexpr std::string_view kModules = "Modules";
constexpr std::string_view kHeatPipes = "Heat Pipes";
constexpr std::string_view kRegulators = "Bat.Reg.";
constexpr std::string_view kTransmitters = "Transmitters";
constexpr std::string_view kTanks = "Tanks";

constexpr int kTransmitLow = 0x1C8;  // bit 5: X-band transmitter on

struct Row {
    std::string_view group;
    int address;
    bool xBand;  // shown only while the X-band transmitter is on, or in raw mode
};

// The window's fields in reading order; the channel table names and hints them.
constexpr Row kRows[] = {
    {kBatteries, 0x146, false},
    {kBatteries, 0x147, false},
    {kBatteries, 0x149, false},
    {kBatteries, 0x14A, false},
    {kBatteries, 0x14B, false},
    {kSolarPanels, 0x14C, false},
    {kSolarPanels, 0x14D, false},
    {kSolarPanels, 0x14E, false},
    {kSolarPanels, 0x14F, false},
    {kSolarPanels, 0x150, false},
    {kSolarPanels, 0x151, false},
    {kFrame, 0x162, false},
    {kFrame, 0x163, false},
    {kFrame, 0x164, false},
    {kFrame, 0x16D, false},
    {kFrame, 0x165, false},
    {kFrame, 0x16E, false},
    {kReceivers, 0x159, false},
    {kReceivers, 0x15A, false},
    {kReceivers, 0x152, false},
    {kReceivers, 0x157, false},
    {kReceivers, 0x156, false},
    {kModules, 0x161, false},
    {kModules, 0x140, false},
    {kModules, 0x141, false},
    {kHeatPipes, 0x169, false},
    {kHeatPipes, 0x168, false},
    {kHeatPipes, 0x153, false},
    {kHeatPipes, 0x154, false},
    {kHeatPipes, 0x16A, false},
    {kHeatPipes, 0x167, false},
    {kHeatPipes, 0x166, false},
    {kRegulators, 0x142, false},
    {kRegulators, 0x144, false},
    {kRegulators, 0x143, false},
    {kTransmitters, 0x15E, false},
    {kTransmitters, 0x158, false},
    {kTransmitters, 0x15F, false},
    {kTransmitters, 0x15B, false},
    {kTransmitters, 0x15C, false},
    {kTransmitters, 0x12B, true},
    {kTransmitters, 0x12C, true},
    {kTanks, 0x145, false},
    {kTanks, 0x148, false},
    {kTanks, 0x16B, false},
    {kTanks, 0x16C, false},
    {kTanks, 0x16F, false},
};

}  // namespace

FieldColour TemperatureColour(std::string_view convertedText) {
    double x = 0;
    if (!ParseDecimalNumber(convertedText, x)) return FieldColour::Form;
    if (x <= 0) return FieldColour::Blue;
    if (x <= 15) return FieldColour::Teal;
    if (x <= 30) return FieldColour::Black;
    if (x <= 40) return FieldColour::Yellow;
    return FieldColour::Red;
}

const WindowInfo& TemperatureWindowInfo() {
    static const WindowInfo info{"TemperatureWindow", "Temperature (deg. C)        Orv", "Temp",
                                 " Shift-L-click to switch between raw & converted values. ", 13, 50, 500, true};
    return info;
}

const std::vector<GroupInfo>& TemperatureGroups() {
    static const std::vector<GroupInfo> groups = {{kBatteries, ""}, {kSolarPanels, ""}, {kFrame, ""},
                                                  {kReceivers, ""}, {kModules, ""},     {kHeatPipes, ""},
                                                  {kRegulators, ""}, {kTransmitters, ""}, {kTanks, ""}};
    return groups;
}

std::vector<DisplayField> TemperatureFields(const DisplayInput& input) {
    const Block514 block = PaddedBlock(input.display);
    const bool xBandOn = Bit(block, kTransmitLow, 5);
    FieldList out;
    for (const auto& r : kRows) {
        const FieldInfo info = ChannelField(r.address, r.group);
        if (r.xBand && !xBandOn && !input.raw) {
            out.Add(info, "---", FieldColour::Black);
            continue;
        }
        // The colour follows the converted temperature as shown, also in raw mode.
        const std::string converted = ChannelText(block, r.address, false);
        out.Add(info, input.raw ? ChannelText(block, r.address, true) : converted, TemperatureColour(converted));
    }
    return out.Take();
}

}  // namespace orv
