#include "displays/power_content.h"

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
    FieldInfo info;
    int address;
    Rule rule;
};

GraphLink Graph(int address, std::string_view title, std::string_view units) { return {address, title, units}; }

// The window's fields in reading order.
const std::vector<Row>& Rows() {
    static const std::vector<Row> rows = {
        {{"bat_main", kVolts, "", "Bat.Main:", "Telem. addr = #10B/267", "", Graph(0x10B, "Volts Main Battery", "Volts")},
         0x10B, Rule::Channel},
        {{"bat_aux", kVolts, "", "Bat.Aux:", "Telem. addr = #10C/268", "", Graph(0x10C, "Volts Aux. Battery", "Volts")},
         0x10C, Rule::Channel},
        {{"v28_s", kVolts, "", "28v-S:", "Telem. addr = #10D/269", "", Graph(0x10D, "Voltage 28v-S", "Volts")}, 0x10D,
         Rule::Channel},
        {{"bat_off", kVolts, "", "Bat.Off:", "Telem. addr = #18C/396", "", {}}, 0x18C, Rule::BatteryOff},
        {{"bcr1_u_in", kBcr1, "", "U-In:", "Telem. addr = #10E/270", "", Graph(0x10E, "Volts In-BCR1", "Volts")}, 0x10E,
         Rule::Channel},
        {{"bcr1_i_sa1", kBcr1, "", "I-SA-1:", "Telem. addr = #171/369", "", Graph(0x171, "Current P1-BCR1", "Amps")},
         0x171, Rule::Channel},
        {{"bcr1_i_sa6", kBcr1, "", "I-SA-6:", "Telem. addr = #172/370", "", Graph(0x172, "Current P2-BCR1", "Amps")},
         0x172, Rule::Channel},
        {{"bcr1_sol_off", kBcr1, "", "Sol.Off:", "Telem. addr = #18D/397", "", {}}, 0x18D, Rule::SolarOff},
        {{"bcr2_u_in", kBcr2, "", "U-In:", "Telem. addr = #111/273", "", Graph(0x111, "Volts In-BCR2", "Volts")}, 0x111,
         Rule::Channel},
        {{"bcr2_i_sa4", kBcr2, "", "I-SA-4:", "Telem. addr = #176/374", "", Graph(0x176, "Current P1-BCR2", "Amps")},
         0x176, Rule::Channel},
        {{"bcr2_i_sa5", kBcr2, "", "I-SA-5:", "Telem. addr = #177/375", "", Graph(0x177, "Current P2-BCR2", "Amps")},
         0x177, Rule::Channel},
        {{"bcr2_i_10vc1", kBcr2, "", "I-10vC1:", "Telem. addr = #178/376", "",
          Graph(0x178, "Current 10v-C1-BCR2", "Amps")},
         0x178, Rule::Channel},
        {{"bcr2_u_10vc1", kBcr2, "", "U-10vC1:", "Telem. addr = #112/274", "",
          Graph(0x112, "Voltage 10v-C1-BCR2", "Volts")},
         0x112, Rule::Channel},
        {{"bcr2_sol_off", kBcr2, "", "Sol.Off:", "Telem. addr = #18E/398", "", {}}, 0x18E, Rule::SolarOff},
        {{"bcr3_u_in", kBcr3, "", "U-In:", "Telem. addr = #10F/271", "", Graph(0x10F, "Volts In-BCR3", "Volts")}, 0x10F,
         Rule::Channel},
        {{"bcr3_i_sa2", kBcr3, "", "I-SA-2:", "Telem. addr = #173/371", "", Graph(0x173, "Current P1-BCR3", "Amps")},
         0x173, Rule::Channel},
        {{"bcr3_i_sa3", kBcr3, "", "I-SA-3:", "Telem. addr = #174/372", "", Graph(0x174, "Current P2-BCR3", "Amps")},
         0x174, Rule::Channel},
        {{"bcr3_i_10vc2", kBcr3, "", "I-10vC2:", "Telem. addr = #175/373", "",
          Graph(0x175, "Current 10v-C2-BCR3", "Amps")},
         0x175, Rule::Channel},
        {{"bcr3_u_10vc2", kBcr3, "", "U-10vC2:", "Telem. addr = #110/272", "",
          Graph(0x110, "Voltage 10v-C2-BCR3", "Volts")},
         0x110, Rule::Channel},
        {{"bcr3_sol_off", kBcr3, "", "Sol.Off:", "Telem. addr = #18F/399", "", {}}, 0x18F, Rule::SolarOff},
        {{"epu", kAmps, "", "EPU:", "Telem. addr = #107/263", "", Graph(0x107, "Current 28v-U1", "Amps")}, 0x107,
         Rule::Channel},
        {{"main_bus", kAmps, "", "Main bus:", "Telem. addr = #108/264", "", Graph(0x108, "Current 28v-U2", "Amps")},
         0x108, Rule::Channel},
        {{"i28v_s", kAmps, "", "28v-S", "Telem. addr = #109/265", "", Graph(0x109, "Current 28v-U3", "Amps")}, 0x109,
         Rule::Channel},
        {{"bcr", kAmps, "", "BCR:", "Telem. addr = #10A/266", "", Graph(0x10A, "Current 28v-B", "Amps")}, 0x10A,
         Rule::Channel},
        {{"seu", kAmps, "", "SEU:", "Telem. addr = #170/368", "", Graph(0x170, "Current 28v SEU", "Amps")}, 0x170,
         Rule::Channel},
        {{"tot_bat", kAmps, "", "Tot. Bat:", "Telem. addr = #106/262", "", Graph(0x106, "Total Battery Amps", "Amps")},
         0x106, Rule::Channel},
        {{"v_tx", kTx, "", "V-Tx:", "Telem. addr = #123/291", "", Graph(0x123, "Power V Tx", "Watts")}, 0x123,
         Rule::Channel},
        {{"u_amp", kTx, "", "U-Amp:", "Telem. addr = #125/293", "", Graph(0x125, "Power, U Amp", "Watts")}, 0x125,
         Rule::Channel},
        {{"i28v_s_tx", kTx, "", "I-28v-S:", "Telem. addr = #17A/378", "",
          Graph(0x17A, "Current 28v S-band PA/Mix", "Amps")},
         0x17A, Rule::Channel},
        {{"i10v_s", kTx, "", "I-10v-S:", "Telem. addr = #17B/379", "", Graph(0x17B, "Current 10-S PA/Mix", "Amps")},
         0x17B, Rule::Channel},
        {{"s1_a_mix", kTx, "", "S1-A/mix:", "Telem. addr = #122/290", "", Graph(0x122, "Power S - PA/Mix", "Watts")},
         0x122, Rule::Channel},
        {{"cs_x_tx", kTx, "", "CS X-Tx:", "Telem. addr = #118/280", "Status of TWT/FIL/OVR.  1=on, 0=off",
          Graph(0x118, "Combined States X Tx", "???")},
         0x118, Rule::CombinedStates},
        {{"out_x_tx", kTx, "", "Out X-Tx:", "Telem. addr = #117/279", "", Graph(0x117, "Power X Tx", "Watts")}, 0x117,
         Rule::XBandChannel},
        {{"ma_hel_x", kTx, "", "mA-Hel-X:", "Telem. addr = #119/281", "", Graph(0x119, "Current Helix X Tx", "Amps")},
         0x119, Rule::XBandChannel},
        {{"k_tx", kTx, "", "K-Tx:", "Telem. addr = #11A/282", "", Graph(0x11A, "Power K Tx", "Watts")}, 0x11A,
         Rule::Channel},
        {{"i_k_tx", kTx, "", "I-K-Tx:", "Telem. addr = #179/377", "", Graph(0x179, "Current K Tx", "Amps")}, 0x179,
         Rule::Channel},
        {{"s2_pwr", kTx, "", "S2 Pwr:", "Telem. addr = #138/312", "", Graph(0x138, "Power, S-band #2", "Raw Data")},
         0x138, Rule::Channel},
    };
    return rows;
}

// The X transmitter's combined TWT/FIL/OVR states from the byte at #118.
std::string CombinedStatesText(unsigned v) {
    if (v > 140 && v < 160) return "0/0/0";
    if (v > 160 && v < 180) return "1/1/1";
    if (v > 190 && v < 210) return "1/0-1";
    if (v > 240) return "1/0/0";
    return "---";
}

// Off voltages: the byte, wrapped above 255 below `wrapBelow`, times `factor` plus `offset`, all
// single-precision constants, evaluated in extended precision and rounded to single precision.
float OffVoltage(unsigned v, unsigned wrapBelow, float factor, float offset) {
    if (v < wrapBelow) v += 256;
    return static_cast<float>(static_cast<long double>(v) * factor + static_cast<long double>(offset));
}

std::string FieldText(ConstBytes b, const Row& row, bool raw) {
    const unsigned v = Byte(b, row.address);
    const bool xBandOn = Bit(b, kTransmitLow, 5);
    switch (row.rule) {
        case Rule::Channel: return ChannelText(b, row.address, raw);
        case Rule::XBandChannel: return (xBandOn || raw) ? ChannelText(b, row.address, raw) : "---";
        case Rule::CombinedStates:
            if (raw) return DecimalText(v);
            return xBandOn ? CombinedStatesText(v) : "---";
        case Rule::BatteryOff: return raw ? DecimalText(v) : FixedText(OffVoltage(v, 64, 0.04F, 17.76F), 4, 2);
        case Rule::SolarOff: return raw ? DecimalText(v) : FixedText(OffVoltage(v, 128, 0.1F, -5.6F), 3, 1);
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
    for (const auto& row : Rows()) out.Add(row.info, FieldText(block, row, input.raw));
    return out.Take();
}

}  // namespace orv
