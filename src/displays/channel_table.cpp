#include "displays/channel_table.h"

#include <algorithm>
#include <iterator>
#include <stdexcept>
#include <vector>

namespace orv {
namespace {

constexpr std::string_view kVolts = "Volts";
constexpr std::string_view kAmps = "Amps";
constexpr std::string_view kWatts = "Watts";
constexpr std::string_view kDegC = "Deg.C";
constexpr std::string_view kDbSuppression = "dB Sup.";
constexpr std::string_view kSolarAngle = "Solar Angle";
constexpr std::string_view kRpm = "RPM";
constexpr std::string_view kRawData = "Raw Data";

// Hint layouts: "Telem. addr = #10B/267", with two or three blanks after "=", with a trailing
// blank, and those of the wheel words and the orbit number.
constexpr HintStyle kOneBlank{1, HintAddress::Byte, false};
constexpr HintStyle kTwoBlanks{2, HintAddress::Byte, false};
constexpr HintStyle kThreeBlanks{3, HintAddress::Byte, false};
constexpr HintStyle kTrailingBlank{1, HintAddress::Byte, true};
constexpr HintStyle kWheelWord{2, HintAddress::WordLowFirst, false};
constexpr HintStyle kOrbitWord{1, HintAddress::WordHighFirst, false};

// clang-format off
constexpr TelemetryChannel kChannels[] = {
    // Spin rate, propulsion and the liquid-fuel system.
    {0x100, "seu", "SEU:", "SEU Spin Rate", kRpm, kTwoBlanks},
    {0x101, "epu_prs_mtr", "Prs.Mtr:", "Pressure, EPU Motor", "Press. (bar)", kTwoBlanks},
    {0x102, "epu_prs_tnk", "Prs.Tnk:", "Pressure, Tank", "Press. (bar)", kTwoBlanks},
    {0x103, "epu_i_anlog", "I-Anlog:", "Voltage, Analog EPU", kRawData, kTwoBlanks},
    {0x104, "epu_volts", "Volts:", "Voltage, EPU", kRawData, kTwoBlanks},
    {0x105, "epu_flo_anlg", "Flo.Anlg:", "Flow, Analog EPU", kRawData, kTwoBlanks},
    // Bus currents, battery and bus voltages, battery charge regulators.
    {0x106, "tot_bat", "Tot. Bat:", "Total Battery Amps", kAmps, kOneBlank},
    {0x107, "epu", "EPU:", "Current 28v-U1", kAmps, kOneBlank},
    {0x108, "main_bus", "Main bus:", "Current 28v-U2", kAmps, kOneBlank},
    {0x109, "i28v_s", "28v-S", "Current 28v-U3", kAmps, kOneBlank},
    {0x10A, "bcr", "BCR:", "Current 28v-B", kAmps, kOneBlank},
    {0x10B, "bat_main", "Bat.Main:", "Volts Main Battery", kVolts, kOneBlank},
    {0x10C, "bat_aux", "Bat.Aux:", "Volts Aux. Battery", kVolts, kOneBlank},
    {0x10D, "v28_s", "28v-S:", "Voltage 28v-S", kVolts, kOneBlank},
    {0x10E, "bcr1_u_in", "U-In:", "Volts In-BCR1", kVolts, kOneBlank},
    {0x10F, "bcr3_u_in", "U-In:", "Volts In-BCR3", kVolts, kOneBlank},
    {0x110, "bcr3_u_10vc2", "U-10vC2:", "Voltage 10v-C2-BCR3", kVolts, kOneBlank},
    {0x111, "bcr2_u_in", "U-In:", "Volts In-BCR2", kVolts, kOneBlank},
    {0x112, "bcr2_u_10vc1", "U-10vC1:", "Voltage 10v-C1-BCR2", kVolts, kOneBlank},
    // Liquid-fuel pressures and valve, receiver AGC, transmitter powers and ALC.
    {0x113, "liu_valve", "Valve:", "LIU Valve Setting", kRawData, kTwoBlanks},
    {0x114, "liu_hipres", "HiPres:", "400N High Pressure", kRawData, kOneBlank},
    {0x115, "liu_lopres", "LoPres:", "400N Low Pressure", "Abs. Press (Bar)", kOneBlank},
    {0x116, "agc_l2_rx", "L2-Rx:", "AGC L2 Rx", kDbSuppression, kOneBlank},
    {0x117, "out_x_tx", "Out X-Tx:", "Power X Tx", kWatts, kOneBlank},
    {0x118, "cs_x_tx", "CS X-Tx:", "Combined States X Tx", "???", kOneBlank},
    {0x119, "ma_hel_x", "mA-Hel-X:", "Current Helix X Tx", kAmps, kOneBlank},
    {0x11A, "k_tx", "K-Tx:", "Power K Tx", kWatts, kOneBlank},
    {0x11B, "agc_s2c_rx", "S2C-Rx:", "AGC S2/C Rx", kDbSuppression, kOneBlank},
    {0x11C, "agc_hf_rx", "HF Rx:", "AGC HF Rx", "???", kOneBlank},
    {0x11D, "agc_s1_rx", "S1-Rx:", "AGC S1 Rx", "db Sup.", kOneBlank},
    {0x11E, "agc_v_rx", "V-Rx:", "AGC V Rx", kDbSuppression, kOneBlank},
    {0x11F, "agc_u_rx", "U-Rx:", "AGC U Rx", kDbSuppression, kOneBlank},
    {0x120, "agc_l1_rx", "L1-Rx:", "AGC L1 Rx", kDbSuppression, kOneBlank},
    {0x122, "s1_a_mix", "S1-A/mix:", "Power S - PA/Mix", kWatts, kOneBlank},
    {0x123, "v_tx", "V-Tx:", "Power V Tx", kWatts, kOneBlank},
    {0x124, "agc_v_tx", "V-Tx:", "AGC V Tx", "???", kOneBlank},
    {0x125, "u_amp", "U-Amp:", "Power, U Amp", kWatts, kOneBlank},
    {0x126, "agc_u_tx", "U-Tx:", "", "", kOneBlank},
    // X-band transmitter temperatures, sun sensors, S2 power and AGC, solar panel release units.
    {0x12B, "x_tx", "X Tx", "Temp. X Transmitter", kDegC, kOneBlank},
    {0x12C, "tw_x_tx", "Tw X Tx", "Temp. X-Band TWTA", kDegC, kOneBlank},
    {0x12D, "ud_z", "U/D Z:", "Omni Solar Angle, Up/Down-Z", kSolarAngle, kOneBlank},
    {0x12E, "z25", "Z/25:", "Solar Angle, Z/25", kSolarAngle, kTwoBlanks},
    {0x12F, "y25", "Y/25:", "Solar Angle Y/25", kSolarAngle, kTwoBlanks},
    {0x130, "up_x", "Up-X:", "Omni Solar Angle, Up-X ", kSolarAngle, kTwoBlanks},
    {0x131, "up_y", "Up-Y:", "Omni Solar Angle, Up-Y", kSolarAngle, kTwoBlanks},
    {0x132, "dn_x", "Dn-X:", "Omni Solar Angle, Down-X", kSolarAngle, kTwoBlanks},
    {0x133, "dn_y", "Dn-Y:", "Omni Solar Angle, Down-Y", kSolarAngle, kThreeBlanks},
    {0x134, "z45", "Z/45:", "Solar Angle, Z/45", kSolarAngle, kTwoBlanks},
    {0x135, "y45", "Y/45:", "Solar Angle Y/45", kSolarAngle, kTwoBlanks},
    {0x138, "s2_pwr", "S2 Pwr:", "Power, S-band #2", kRawData, kOneBlank},
    {0x139, "agc_s2_tx", "S2 Tx:", "AGC S2 Tx", kDbSuppression, kOneBlank},
    {0x13A, "liu_arua", "ARUa:", "ARU A", kRawData, kOneBlank},
    {0x13B, "liu_arub", "ARUb:", "ARU B", kRawData, kOneBlank},
    // Temperatures.
    {0x140, "seu", "SEU", "Temp. SEU", kDegC, kOneBlank},
    {0x141, "epu", "EPU", "Temp. EPU", kDegC, kOneBlank},
    {0x142, "bcr1", "BCR 1", "Temp. BCR #1", kDegC, kOneBlank},
    {0x143, "bcr3", "BCR 3", "Temp. BCR #3", kDegC, kOneBlank},
    {0x144, "bcr2", "BCR 2", "Temp. BCR #2", kDegC, kOneBlank},
    {0x145, "mmh3", "MMH-3", "Temp. MMH-3 Tank", kDegC, kOneBlank},
    {0x146, "aux5", "Aux 5", "Temp. Aux. Battery, Bay #5", kDegC, kOneBlank},
    {0x147, "aux1", "Aux 1 ", "Temp. Aux. Battery, Bay #1", kDegC, kOneBlank},
    {0x148, "nh3_2", "NH3-2", "Temp. NH3-2 Tank", kDegC, kOneBlank},
    {0x149, "main2", "Main 2", "Temp. Main Battery, Bay #2", kDegC, kOneBlank},
    {0x14A, "main4", "Main 4", "Temp. Main Battery, Bay #4", kDegC, kOneBlank},
    {0x14B, "main6", "Main 6", "Temp. Main Battery, Bay #6", kDegC, kOneBlank},
    {0x14C, "pnl1", "Pnl 1", "Temp. Solar Panel #1", kDegC, kOneBlank},
    {0x14D, "pnl2", "Pnl 2", "Temp. Solar Panel #2", kDegC, kOneBlank},
    {0x14E, "pnl3", "Pnl 3", "Temp. Solar Panel #3", kDegC, kOneBlank},
    {0x14F, "pnl4", "Pnl 4", "Temp. Solar Panel #4", kDegC, kOneBlank},
    {0x150, "pnl5", "Pnl 5", "Temp. Solar Panel #5", kDegC, kOneBlank},
    {0x151, "pnl6", "Pnl 6", "Temp. Solar Panel #6", kDegC, kOneBlank},
    {0x152, "l2_rx", "L2 Rx", "Temp. L2 Receiver", kDegC, kOneBlank},
    {0x153, "hp2_pxmy", "2+X-Y", "Temp. Heat Pipe 2+X-Y", kDegC, kOneBlank},
    {0x154, "hp2_mx", "2 -X", "Temp. Heat Pipe 2-X", kDegC, kOneBlank},
    {0x156, "s2c_rx", "S2/C Rx", "Temp. S2/C Receivers", kDegC, kOneBlank},
    {0x157, "s1h_rx", "S1/H Rx", "Temp. S1 Receiver", kDegC, kOneBlank},
    {0x158, "u_tx", "U Tx", "Temp. U Transmitter", kDegC, kOneBlank},
    {0x159, "uv_rx", "UV Rx", "Temp. U & V Receivers", kDegC, kOneBlank},
    {0x15A, "l1_rx", "L1 Rx", "Temp. L1 Receiver", kDegC, kOneBlank},
    {0x15B, "s1_tx", "S1 Tx", "Temp. S-Band PA/Mix", kDegC, kOneBlank},
    {0x15C, "s2_tx", "S2 Tx", "Temp. S-2 Transmitter", kDegC, kOneBlank},
    {0x15E, "v_tx", "V Tx", "Temp. V Transmitter", kDegC, kOneBlank},
    {0x15F, "u_amp", "U Amp", "Temp. U Amplifier", kDegC, kOneBlank},
    {0x161, "ihu", "IHU", "Temp. IHU", kDegC, kOneBlank},
    {0x162, "top", "Top", "Temp. Top of S/C Frame", kDegC, kOneBlank},
    {0x163, "bottom", "Bottom", "Temp. Bottom of S/C Frame", kDegC, kOneBlank},
    {0x164, "back", "Back", "Temp. Back of S/C Frame", kDegC, kOneBlank},
    {0x165, "side4", "Side 4", "Temp. Side #4  S/C Frame", kDegC, kOneBlank},
    {0x166, "hp4_pxpy", "4+X+Y", "Temp. Heat Pipe 4+X+Y", kDegC, kOneBlank},
    {0x167, "hp3_mx", "3 -X", "Temp. Heat Pipe 3-X", kDegC, kOneBlank},
    {0x168, "hp2_pxpy", "2+X+Y", "Temp. Heat Pipe 2+X+Y", kDegC, kOneBlank},
    {0x169, "hp1_pxmy", "1+X-Y", "Temp. Heat Pipe 1+X-Y", kDegC, kOneBlank},
    {0x16A, "hp3_px", "3 +X", "Temp. Heat Pipe 3+X", kDegC, kOneBlank},
    {0x16B, "n2o4_m", "N2O4-", "Temp. N2O4 -X-Y Tank", kDegC, kOneBlank},
    {0x16C, "n2o4_p", "N204+", "Temp. N2O4 +X+Y Tank", kDegC, kOneBlank},
    {0x16D, "side2", "Side 2", "Temp. Side #2 S/C Frame", kDegC, kOneBlank},
    {0x16E, "s_ant", "S Ant", "Temp. S-Band Antenna", kDegC, kOneBlank},
    {0x16F, "helium", "Helium", "Temp. Helium Tank", kDegC, kOneBlank},
    // Solar array, converter and transmitter currents.
    {0x170, "seu", "SEU:", "Current 28v SEU", kAmps, kOneBlank},
    {0x171, "bcr1_i_sa1", "I-SA-1:", "Current P1-BCR1", kAmps, kOneBlank},
    {0x172, "bcr1_i_sa6", "I-SA-6:", "Current P2-BCR1", kAmps, kOneBlank},
    {0x173, "bcr3_i_sa2", "I-SA-2:", "Current P1-BCR3", kAmps, kOneBlank},
    {0x174, "bcr3_i_sa3", "I-SA-3:", "Current P2-BCR3", kAmps, kOneBlank},
    {0x175, "bcr3_i_10vc2", "I-10vC2:", "Current 10v-C2-BCR3", kAmps, kOneBlank},
    {0x176, "bcr2_i_sa4", "I-SA-4:", "Current P1-BCR2", kAmps, kOneBlank},
    {0x177, "bcr2_i_sa5", "I-SA-5:", "Current P2-BCR2", kAmps, kOneBlank},
    {0x178, "bcr2_i_10vc1", "I-10vC1:", "Current 10v-C1-BCR2", kAmps, kOneBlank},
    {0x179, "i_k_tx", "I-K-Tx:", "Current K Tx", kAmps, kOneBlank},
    {0x17A, "i28v_s_tx", "I-28v-S:", "Current 28v S-band PA/Mix", kAmps, kOneBlank},
    {0x17B, "i10v_s", "I-10v-S:", "Current 10-S PA/Mix", kAmps, kOneBlank},
    // From #180 on: bytes read as they stand, #182/#183 read "ON" or "off", wheel words in RPM.
    {0x181, "epu_conf", "Conf:", "EPU Configuration", kRawData, kTwoBlanks},
    {0x182, "liu_pwr", "Pwr:", "", "", kTwoBlanks},
    {0x183, "epu_pwr", "Pwr:", "EPU Power", kRawData, kTwoBlanks},
    {0x184, "agc_x_tx", "X-Tx:", "", "", kTrailingBlank},
    {0x185, "epu_cur", "Cur:", "Current, Digital EPU", kRawData, kTwoBlanks},
    {0x186, "epu_flow", "Flow:", "Flow, Digital EPU", kRawData, kTwoBlanks},
    {0x18A, "sensitivity", "Sensitiv:", "", "", kOneBlank},
    {0x18C, "bat_off", "Bat.Off:", "", "", kOneBlank},
    {0x18D, "bcr1_sol_off", "Sol.Off:", "", "", kOneBlank},
    {0x18E, "bcr2_sol_off", "Sol.Off:", "", "", kOneBlank},
    {0x18F, "bcr3_sol_off", "Sol.Off:", "", "", kOneBlank},
    {0x190, "ss1_cnt", "SS1 cnt:", "", "", kThreeBlanks},
    {0x191, "ss2_cnt", "SS2 cnt:", "", "", kTwoBlanks},
    {0x192, "flags", "Flags:", "", "", kTwoBlanks},
    {0x193, "raw_count", "Raw#:", "", "", kTwoBlanks},
    {0x196, "upper_ma", "MA:", "", "", kTwoBlanks},
    {0x197, "upper_orb", "Orb#:", "", "", kTwoBlanks},
    {0x198, "lower_ma", "MA:", "", "", kOneBlank},
    {0x199, "lower_orb", "Orb#:", "", "", kOneBlank},
    {0x19A, "lock_range", "Lock Rng:", "", "", kTwoBlanks},
    {0x19B, "es1", "ES1:", "", "", kTwoBlanks},
    {0x19C, "es1_update", "Update:", "", "", kTwoBlanks},
    {0x19D, "es2", "ES2:", "", "", kTwoBlanks},
    {0x19E, "es2_update", "Update:", "", "", kTwoBlanks},
    {0x1A1, "m_soll", "M-SOLL:", "M-SOLL", kRawData, kTwoBlanks},
    {0x1A5, "ma", "MA#", "", "", kOneBlank},
    {0x1A6, "orbit", "Orbit#", "", "", kOrbitWord},
    {0x1C0, "wheel1_spd", "Spd:", "Wheel #1 Speed", kRpm, kWheelWord},
    {0x1C2, "wheel2_spd", "Spd:", "Wheel #2 Speed", kRpm, kWheelWord},
    {0x1C4, "wheel3_spd", "Spd:", "Wheel #3 Speed", kRpm, kWheelWord},
};
// clang-format on

static_assert(std::is_sorted(std::begin(kChannels), std::end(kChannels),
                             [](const auto& x, const auto& y) { return x.address < y.address; }));

// The hints, made once, so that fields can refer to them.
const std::vector<std::string>& Hints() {
    static const std::vector<std::string> hints = [] {
        std::vector<std::string> out;
        for (const auto& c : kChannels) out.push_back(ChannelHint(c));
        return out;
    }();
    return hints;
}

}  // namespace

std::span<const TelemetryChannel> ChannelTable() { return kChannels; }

const TelemetryChannel* FindTelemetryChannel(int address) {
    const auto* it = std::lower_bound(std::begin(kChannels), std::end(kChannels), address,
                                      [](const TelemetryChannel& c, int a) { return c.address < a; });
    return it != std::end(kChannels) && it->address == address ? it : nullptr;
}

std::string ChannelHint(const TelemetryChannel& channel) {
    const HintStyle& style = channel.hint;
    std::string hint = "Telem. addr =" + std::string(style.blanks, ' ');
    switch (style.form) {
        case HintAddress::Byte: hint += TelemetryAddressText(channel.address); break;
        case HintAddress::WordLowFirst:
            hint += TelemetryAddressText(channel.address) + " - " + TelemetryAddressText(channel.address + 1);
            break;
        case HintAddress::WordHighFirst:
            hint += TelemetryAddressText(channel.address + 1) + " & " + TelemetryAddressText(channel.address);
            break;
    }
    if (style.trailingBlank) hint += ' ';
    return hint;
}

FieldInfo ChannelField(int address, std::string_view group, std::string_view subgroup) {
    const TelemetryChannel* c = FindTelemetryChannel(address);
    if (c == nullptr) throw std::logic_error("no telemetry channel at " + TelemetryAddressText(address));
    std::optional<GraphLink> graph;
    if (!c->title.empty()) graph = GraphLink{c->address, c->title, c->units};
    const std::string& hint = Hints()[static_cast<std::size_t>(c - std::begin(kChannels))];
    return {c->id, group, subgroup, c->caption, hint, "", graph};
}

}  // namespace orv
