#include "displays/temperature_content.h"

#include "reception/settings_store.h"

namespace orv {
namespace {

constexpr std::string_view kUnits = "Deg.C";
constexpr int kTransmitLow = 0x1C8;  // bit 5: X-band transmitter on

struct Row {
    std::string_view id;
    std::string_view group;
    std::string_view caption;
    int address;
    std::string_view hint;
    std::string_view title;
    bool xBand;  // shown only while the X-band transmitter is on, or in raw mode
};

// clang-format off
constexpr Row kRows[] = {
    {"aux5", "Batteries", "Aux 5", 0x146, "Telem. addr = #146/326", "Temp. Aux. Battery, Bay #5", false},
    {"aux1", "Batteries", "Aux 1 ", 0x147, "Telem. addr = #147/327", "Temp. Aux. Battery, Bay #1", false},
    {"main2", "Batteries", "Main 2", 0x149, "Telem. addr = #149/329", "Temp. Main Battery, Bay #2", false},
    {"main4", "Batteries", "Main 4", 0x14A, "Telem. addr = #14A/330", "Temp. Main Battery, Bay #4", false},
    {"main6", "Batteries", "Main 6", 0x14B, "Telem. addr = #14B/331", "Temp. Main Battery, Bay #6", false},
    {"pnl1", "Solar Panels", "Pnl 1", 0x14C, "Telem. addr = #14C/332", "Temp. Solar Panel #1", false},
    {"pnl2", "Solar Panels", "Pnl 2", 0x14D, "Telem. addr = #14D/333", "Temp. Solar Panel #2", false},
    {"pnl3", "Solar Panels", "Pnl 3", 0x14E, "Telem. addr = #14E/334", "Temp. Solar Panel #3", false},
    {"pnl4", "Solar Panels", "Pnl 4", 0x14F, "Telem. addr = #14F/335", "Temp. Solar Panel #4", false},
    {"pnl5", "Solar Panels", "Pnl 5", 0x150, "Telem. addr = #150/336", "Temp. Solar Panel #5", false},
    {"pnl6", "Solar Panels", "Pnl 6", 0x151, "Telem. addr = #151/337", "Temp. Solar Panel #6", false},
    {"top", "S/C Frame", "Top", 0x162, "Telem. addr = #162/354", "Temp. Top of S/C Frame", false},
    {"bottom", "S/C Frame", "Bottom", 0x163, "Telem. addr = #163/355", "Temp. Bottom of S/C Frame", false},
    {"back", "S/C Frame", "Back", 0x164, "Telem. addr = #164/356", "Temp. Back of S/C Frame", false},
    {"side2", "S/C Frame", "Side 2", 0x16D, "Telem. addr = #16D/365", "Temp. Side #2 S/C Frame", false},
    {"side4", "S/C Frame", "Side 4", 0x165, "Telem. addr = #165/357", "Temp. Side #4  S/C Frame", false},
    {"s_ant", "S/C Frame", "S Ant", 0x16E, "Telem. addr = #16E/366", "Temp. S-Band Antenna", false},
    {"uv_rx", "Receivers", "UV Rx", 0x159, "Telem. addr = #159/345", "Temp. U & V Receivers", false},
    {"l1_rx", "Receivers", "L1 Rx", 0x15A, "Telem. addr = #15A/346", "Temp. L1 Receiver", false},
    {"l2_rx", "Receivers", "L2 Rx", 0x152, "Telem. addr = #152/338", "Temp. L2 Receiver", false},
    {"s1h_rx", "Receivers", "S1/H Rx", 0x157, "Telem. addr = #157/343", "Temp. S1 Receiver", false},
    {"s2c_rx", "Receivers", "S2/C Rx", 0x156, "Telem. addr = #156/342", "Temp. S2/C Receivers", false},
    {"ihu", "Modules", "IHU", 0x161, "Telem. addr = #161/353", "Temp. IHU", false},
    {"seu", "Modules", "SEU", 0x140, "Telem. addr = #140/320", "Temp. SEU", false},
    {"epu", "Modules", "EPU", 0x141, "Telem. addr = #141/321", "Temp. EPU", false},
    {"hp1_pxmy", "Heat Pipes", "1+X-Y", 0x169, "Telem. addr = #169/361", "Temp. Heat Pipe 1+X-Y", false},
    {"hp2_pxpy", "Heat Pipes", "2+X+Y", 0x168, "Telem. addr = #168/360", "Temp. Heat Pipe 2+X+Y", false},
    {"hp2_pxmy", "Heat Pipes", "2+X-Y", 0x153, "Telem. addr = #153/339", "Temp. Heat Pipe 2+X-Y", false},
    {"hp2_mx", "Heat Pipes", "2 -X", 0x154, "Telem. addr = #154/340", "Temp. Heat Pipe 2-X", false},
    {"hp3_px", "Heat Pipes", "3 +X", 0x16A, "Telem. addr = #16A/362", "Temp. Heat Pipe 3+X", false},
    {"hp3_mx", "Heat Pipes", "3 -X", 0x167, "Telem. addr = #167/359", "Temp. Heat Pipe 3-X", false},
    {"hp4_pxpy", "Heat Pipes", "4+X+Y", 0x166, "Telem. addr = #166/358", "Temp. Heat Pipe 4+X+Y", false},
    {"bcr1", "Bat.Reg.", "BCR 1", 0x142, "Telem. addr = #142/322", "Temp. BCR #1", false},
    {"bcr2", "Bat.Reg.", "BCR 2", 0x144, "Telem. addr = #144/324", "Temp. BCR #2", false},
    {"bcr3", "Bat.Reg.", "BCR 3", 0x143, "Telem. addr = #143/323", "Temp. BCR #3", false},
    {"v_tx", "Transmitters", "V Tx", 0x15E, "Telem. addr = #15E/350", "Temp. V Transmitter", false},
    {"u_tx", "Transmitters", "U Tx", 0x158, "Telem. addr = #158/344", "Temp. U Transmitter", false},
    {"u_amp", "Transmitters", "U Amp", 0x15F, "Telem. addr = #15F/351", "Temp. U Amplifier", false},
    {"s1_tx", "Transmitters", "S1 Tx", 0x15B, "Telem. addr = #15B/347", "Temp. S-Band PA/Mix", false},
    {"s2_tx", "Transmitters", "S2 Tx", 0x15C, "Telem. addr = #15C/348", "Temp. S-2 Transmitter", false},
    {"x_tx", "Transmitters", "X Tx", 0x12B, "Telem. addr = #12B/299", "Temp. X Transmitter", true},
    {"tw_x_tx", "Transmitters", "Tw X Tx", 0x12C, "Telem. addr = #12C/300", "Temp. X-Band TWTA", true},
    {"mmh3", "Tanks", "MMH-3", 0x145, "Telem. addr = #145/325", "Temp. MMH-3 Tank", false},
    {"nh3_2", "Tanks", "NH3-2", 0x148, "Telem. addr = #148/328", "Temp. NH3-2 Tank", false},
    {"n2o4_m", "Tanks", "N2O4-", 0x16B, "Telem. addr = #16B/363", "Temp. N2O4 -X-Y Tank", false},
    {"n2o4_p", "Tanks", "N204+", 0x16C, "Telem. addr = #16C/364", "Temp. N2O4 +X+Y Tank", false},
    {"helium", "Tanks", "Helium", 0x16F, "Telem. addr = #16F/367", "Temp. Helium Tank", false},
};
// clang-format on

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
    static const std::vector<GroupInfo> groups = {{"Batteries", ""},  {"Solar Panels", ""}, {"S/C Frame", ""},
                                                  {"Receivers", ""},  {"Modules", ""},      {"Heat Pipes", ""},
                                                  {"Bat.Reg.", ""},   {"Transmitters", ""}, {"Tanks", ""}};
    return groups;
}

std::vector<DisplayField> TemperatureFields(const DisplayInput& input) {
    const Block514 block = PaddedBlock(input.display);
    const bool xBandOn = Bit(block, kTransmitLow, 5);
    FieldList out;
    for (const auto& r : kRows) {
        const FieldInfo info{r.id, r.group, "", r.caption, r.hint, "", GraphLink{r.address, r.title, kUnits}};
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
