#include "displays/status_content.h"

#include "displays/channel_table.h"

namespace orv {
namespace {

constexpr std::string_view kAgc = "AGC / ALC";
constexpr std::string_view kRcv = "Rcv/Ant/Leila";
constexpr std::string_view kTrans = "Trans/Ant";
constexpr std::string_view kExperiments = "Experiments";
constexpr std::string_view kBeacons = "Beacons";
constexpr std::string_view kPsu = "PSU";
constexpr std::string_view kSafety = "Safety";
constexpr std::string_view kLiEpAr = "LI/EP/AR";
constexpr std::string_view kHeader = kStatusHeaderGroup;

// Bytes of the block with a meaning here.
constexpr int kTransmitLow = 0x1C8;   // transmitters, low-power and switch bits
constexpr int kTransmitHigh = 0x1C9;  // transmitters on
constexpr int kReceivers = 0x1CA;
constexpr int kAntennas = 0x189;
constexpr int kExperimentsByte = 0x188;
constexpr int kBeaconByte = 0x194;
constexpr int kPsuByte = 0x18B;
constexpr int kSafetyByte = 0x1D9;
constexpr int kOrbitWord = 0x1A6;   // orbit number, low byte first
constexpr int kMeanAnomaly = 0x1A5;
constexpr int kXBandAlc = 0x184;    // shown as hex
constexpr int kHfAgc = 0x11C;       // always shown

// The grey override: a field whose state word is disabled on board, from bytes #1EE..#1F1.
struct GreyBit {
    int address;
    int bit;
};

FieldColour Greyed(ConstBytes b, FieldColour colour, std::initializer_list<GreyBit> bits) {
    for (const auto& g : bits)
        if (Bit(b, g.address, g.bit)) return FieldColour::Grey;
    return colour;
}

void AddState(FieldList& out, ConstBytes b, const FieldInfo& info, const StateText& s,
              std::initializer_list<GreyBit> grey = {}) {
    out.Add(info, s.text, Greyed(b, s.colour, grey));
}

// "/" and the L-band antenna letters from byte #189: bit 3 alone "/Hi", bit 2 alone "/o",
// both or neither "/Ho".
std::string LBandSuffix(ConstBytes b) {
    std::string s = "/";
    const bool high = Bit(b, kAntennas, 3), omni = Bit(b, kAntennas, 2);
    if (high) s += "H";
    if (omni) s += "o";
    if (!high && !omni) s += "Ho";
    return s == "/H" ? "/Hi" : s;
}

void AddHeader(FieldList& out, const DisplayInput& in, ConstBytes b) {
    const std::string title = in.eventsMode ? "Phase 3-D Event #" + BlockCharacters(b, 135, 4)
                                            : in.lastA.empty() ? std::string() : BlockCharacters(in.lastA, 0, 29);
    out.Add({"title", kHeader, "", "Title", "", "", {}}, title);
    out.Add({"date", kHeader, "", "Date", "", "", {}}, BlockCharacters(b, 36, 10));
    out.Add({"time", kHeader, "", "Time", "", "", {}}, BlockCharacters(b, 48, 8));
    const std::string year = BlockCharacters(b, 36, 4), month = BlockCharacters(b, 41, 2),
                      day = BlockCharacters(b, 44, 2);
    out.Add({"amsat_day", kHeader, "", "Amsat Day#", "", "", {}}, AmsatDayFromDateText(year, month, day));
    out.Add(ChannelField(kOrbitWord, kHeader), DecimalText(Word(b, kOrbitWord)));
    out.Add(ChannelField(kMeanAnomaly, kHeader), DecimalText(Byte(b, kMeanAnomaly)));
    out.Add({"cmd", kHeader, "", "Cmd#", "", "", {}}, BlockCharacters(b, 59, 4));
    out.Add({"event", kHeader, "", "Event#", "", "", {}}, HexText(Word(b, kEventPointerAddress), 4, false));
}

void AddAgc(FieldList& out, ConstBytes b, bool raw) {
    const bool vOn = Bit(b, kReceivers, 2);
    struct Row {
        int address;
        bool shown;  // shown in converted mode
    };
    const Row rows[] = {
        {0x124, true},
        {0x11E, vOn},
        {0x11F, !vOn},
        {0x126, Bit(b, kTransmitHigh, 2) && !Bit(b, kTransmitLow, 2)},
        {0x120, true},
        {0x116, Bit(b, kReceivers, 5)},
        {0x11D, Bit(b, kReceivers, 6)},
        {0x11B, Bit(b, kReceivers, 3) || Bit(b, kReceivers, 7)},
        {0x139, true},
    };
    for (const auto& r : rows)
        out.Add(ChannelField(r.address, kAgc), (r.shown || raw) ? ChannelText(b, r.address, raw) : "---");
    out.Add(ChannelField(kXBandAlc, kAgc), HexText(Byte(b, kXBandAlc), 2, true));
    out.Add(ChannelField(kHfAgc, kAgc), ChannelText(b, kHfAgc, raw));
}

void AddReceivers(FieldList& out, ConstBytes b) {
    const bool vOn = Bit(b, kReceivers, 2);
    AddState(out, b, {"rx_21", kRcv, "", "21:", "Telem. addr = #1CA/458, bit 0", "", {}}, OnOff(Bit(b, kReceivers, 0)));
    AddState(out, b, {"rx_24", kRcv, "", "24:", "Telem. addr = #1CA/458, bit 1", "", {}}, OnOff(Bit(b, kReceivers, 1)));
    const std::string v = vOn ? (Bit(b, kAntennas, 0) ? "ON/o" : "ON/Hi") : "off";
    out.Add({"rx_v", kRcv, "", "V:", "Rx = #1CA/458, bit 2 (1 = on);  Ant = #189/393, bit 0 (1 = omni)", "", {}}, v,
            RedUnlessOff(v));
    const std::string u = !vOn ? (Bit(b, kAntennas, 1) ? "ON/o" : "ON/Hi") : "off";
    out.Add({"rx_u", kRcv, "", "U:", "Rx = #1CA/458, bit 2 (1 = off);  Ant = #189/393, bit 1 (1 = omni) ", "", {}}, u,
            RedUnlessOff(u));
    out.Add({"rx_l1", kRcv, "", "L1:", "Rx on continuously; Ant = #189/393, bit 3 (1 = omni)", "", {}},
            "ON" + LBandSuffix(b), FieldColour::Red);
    const std::string l2 = Bit(b, kReceivers, 5) ? "ON" + LBandSuffix(b) : "off";
    out.Add({"rx_l2", kRcv, "", "L2:",
             "Rx. addr = #1CA/458, bit 5 (1 = on);  Ant = #189/393, bit 3 (1 =  HiGain)", "", {}},
            l2, RedUnlessOff(l2));
    AddState(out, b, {"rx_s1", kRcv, "", "S1:", "Telem. addr = #1CA/458, bit 6 (1 = on)", "", {}},
             OnOff(Bit(b, kReceivers, 6)));
    AddState(out, b, {"rx_s2", kRcv, "", "S2:", "Telem. addr = #1CA/458, bit 3 (1 = on)", "", {}},
             OnOff(Bit(b, kReceivers, 3)));
    AddState(out, b, {"rx_c", kRcv, "", "C:", "Telem. addr = #1CA/458, bit 7 (1 = on)", "", {}},
             OnOff(Bit(b, kReceivers, 7)));
    out.Add({"leila", kRcv, "", "Leila:", "Telem. addr = #1D0-1/464-5", "", {}}, HexText(Word(b, 0x1D0), 4, true));
}

void AddTransmitters(FieldList& out, ConstBytes b) {
    const std::string v = Bit(b, kTransmitHigh, 1) ? (Bit(b, kAntennas, 0) ? "ON/Hi" : "ON/o") : "off";
    out.Add({"tx_v", kTrans, "", "V:", "Tx = #1C9/457, bit 1;  Ant = #189/393, bit 0 (1 = HiGain)  ", "", {}}, v,
            Greyed(b, RedUnlessOff(v), {{0x1F1, 1}}));
    std::string u = "off";
    if (Bit(b, kTransmitHigh, 2) || Bit(b, kTransmitLow, 2)) {
        const bool low = Bit(b, kTransmitLow, 2);
        u = std::string(low ? "Low" : "ON") + (Bit(b, kAntennas, 1) ? "/Hi" : "/o");
    }
    out.Add({"tx_u", kTrans, "", "U:", "Tx = #1C9/457, bit 2;  Ant = #189/393, bit 1 (1 = HiGain)  ", "", {}}, u,
            Greyed(b, RedUnlessOff(u), {{0x1F1, 2}, {0x1F0, 2}}));
    AddState(out, b, {"tx_s1", kTrans, "", "S1:", "Tx = #1C9/457, bit 3  ", "", {}}, OnOff(Bit(b, kTransmitHigh, 3)),
             {{0x1F1, 3}});
    AddState(out, b, {"tx_s2", kTrans, "", "S2:", "Tx = #1C8/456, bit 0  ", "", {}}, OnOff(Bit(b, kTransmitLow, 0)),
             {{0x1F0, 0}});
    const std::string x = Bit(b, kTransmitHigh, 5) ? "HI" : Bit(b, kTransmitLow, 5) ? "Low" : "off";
    out.Add({"tx_x", kTrans, "", "X:", "Low power = #1C8/456, bit 5; TWTA =  #1C9/457, bit 5", "", {}}, x,
            Greyed(b, RedUnlessOff(x), {{0x1F0, 5}, {0x1F1, 5}, {0x1EE, 6}}));
    const std::string k = Bit(b, kTransmitHigh, 6) ? (Bit(b, kTransmitLow, 6) ? "ON/eb" : "ON") : "off";
    out.Add({"tx_k", kTrans, "", "K:", "Tx = #1C9/457, bit 6  ", "", {}}, k,
            Greyed(b, RedUnlessOff(k), {{0x1F1, 6}, {0x1EE, 5}}));
}

void AddExperiments(FieldList& out, ConstBytes b) {
    struct Row {
        FieldInfo info;
        int bit;
        GreyBit grey;
    };
    const Row rows[] = {
        {{"rudak", kExperiments, "", "Rudak:", "Telem. addr = # 188/392, bit 1", "", {}}, 1, {0x1EF, 1}},
        {{"gps", kExperiments, "", "GPS:", "Telem. addr = # 188/392, bit 2", "", {}}, 2, {0x1EE, 4}},
        {{"rfexp", kExperiments, "", "RFexp:", "Telem. addr = # 188/392, bit 3", "", {}}, 3, {0x1EE, 1}},
        {{"cama", kExperiments, "", "CamA:", "Telem. addr = # 188/392, bit 4", "", {}}, 4, {0x1EE, 2}},
        {{"camb", kExperiments, "", "CamB:", "Telem. addr = # 188/392, bit 5", "", {}}, 5, {0x1EE, 3}},
        {{"cedex", kExperiments, "", "Cedex:", "Telem. addr = # 188/392, bit 7", "", {}}, 7, {0x1EF, 3}},
        {{"ctrl", kExperiments, "", "Ctrl:", "Telem. addr = # 188/392, bit 6", "", {}}, 6, {0x1EF, 2}},
    };
    for (const auto& r : rows) AddState(out, b, r.info, OnOff(Bit(b, kExperimentsByte, r.bit)), {r.grey});
    AddState(out, b, {"ihu2", kExperiments, "", "IHU-2", "Tx = #1C9/457, bit 0  ", "", {}},
             OnOff(Bit(b, kTransmitHigh, 0)), {{0x1EF, 0}});
}

void AddBeacons(FieldList& out, ConstBytes b) {
    const bool gbOff = Bit(b, kBeaconByte, 0);
    AddState(out, b, {"gb", kBeacons, "", "GB:", "Telem. addr = #194/404, bit 0", "", {}}, OnOff(!gbOff));
    std::string mod = "--";
    if (!gbOff) {
        if (!Bit(b, kBeaconByte, 1) && !Bit(b, kBeaconByte, 4) && !Bit(b, kBeaconByte, 5)) mod = "car";
        if (Bit(b, kBeaconByte, 1)) mod = "fsk";
        if (Bit(b, kBeaconByte, 4)) mod = "psk/cd";
        if (Bit(b, kBeaconByte, 5)) mod = "psk/EB";
    }
    out.Add({"mod", kBeacons, "", "Mod:", "Telem. addr = #194/404, bits 1,4,5 ", "", {}}, mod,
            gbOff ? FieldColour::Black : FieldColour::Red);
    const std::string mb = Bit(b, kTransmitHigh, 0) ? "IHU2" : gbOff ? "--" : "GB";
    out.Add({"mb", kBeacons, "", "MB:", "", "", {}}, mb);
    AddState(out, b, {"eb", kBeacons, "", "EB:", "Telem. addr = #194/404, bit 3", "", {}},
             OnOff(Bit(b, kBeaconByte, 3)));
    AddState(out, b, {"laser", kBeacons, "", "Laser:", "Telem. addr = #1A2/418, bit 4", "", {}},
             OnOff(Bit(b, 0x1A2, 4)), {{0x1EE, 0}});
}

void AddPsu(FieldList& out, ConstBytes b) {
    AddState(out, b, {"heat", kPsu, "", "Heat:", "Telem. addr = #18B/395, bit 3", "", {}}, OnOff(Bit(b, kPsuByte, 3)),
             {{0x1EF, 4}});
    AddState(out, b, {"chrg", kPsu, "", "Chrg:", "Telem. addr = # 18B/395, bit 2", "", {}},
             OnOff(Bit(b, kPsuByte, 2)));
    const bool main = Bit(b, kPsuByte, 0), aux = Bit(b, kPsuByte, 1);
    out.Add({"bat", kPsu, "", "Bat:", "Telem. addr = # 18B/395, bits 0,1 (bit 0 = main, bit 1 = aux)", "", {}},
            main && !aux ? "Main" : aux && !main ? "Aux" : "M+A");
}

void AddSafety(FieldList& out, ConstBytes b) {
    AddState(out, b, {"mag", kSafety, "", "Mag:", "Telem. addr = #1A0/416, bit 1  or 1A2/418 bit 3 ", "", {}},
             OnOff(Bit(b, 0x1A0, 0) || Bit(b, 0x1A2, 3)));
    const std::uint8_t flags = Byte(b, 0x1ED);
    out.Add({"eflg", kSafety, "", "E-Flg:", "#1=low V; #2=elow V; #4=cmd; #8=temp; #10=SA ", "", {}},
            HexText(flags, 2, true), flags != 0 ? FieldColour::Red : FieldColour::Black);
    const bool armed = Bit(b, kSafetyByte, 1);
    out.Add({"sa", kSafety, "", "S/A:", "Telem. addr = #1D9/473, bit 1", "", {}}, armed ? "arm" : "safe",
            armed ? FieldColour::Red : FieldColour::Black);
    out.Add({"serr", kSafety, "", "S.Err:", "Telem. addr = #1D9/473, bits 5-7", "", {}},
            DecimalText(Byte(b, kSafetyByte) >> 5U));
}

void AddLiEpAr(FieldList& out, ConstBytes b) {
    AddState(out, b, {"instr", kLiEpAr, "", "Instr.", "Telem. addr = #1C6/454, bit 3", "", {}},
             OnOff(Bit(b, 0x1C6, 3)));
    AddState(out, b, {"epu", kLiEpAr, "", "EPU:", "Telem. addr = #1D9/473, bit 2", "", {}},
             OnOff(Bit(b, kSafetyByte, 2)));
    AddState(out, b, {"liu", kLiEpAr, "", "LIU:", "Telem. addr = #1D9/473, bit 0", "", {}},
             OnOff(Bit(b, kSafetyByte, 0)));
    AddState(out, b, {"aru", kLiEpAr, "", "ARU:", "Telem. addr = #188/392, bit 0", "", {}},
             OnOff(Bit(b, kExperimentsByte, 0)));
}

}  // namespace

const WindowInfo& StatusWindowInfo() {
    static const WindowInfo info{"StatusWindow", " Status                                 Orv", "Status",
                                 "Shift-L-click to switch between raw and converted AGC/AFC. ", 16, 100, 500, true};
    return info;
}

const std::vector<GroupInfo>& StatusGroups() {
    static const std::vector<GroupInfo> groups = {
        {kHeader, ""},
        {kAgc, " L-click to switch between raw and converted AGC/AFC. "},
        {kRcv, ""},
        {kTrans, ""},
        {kExperiments, ""},
        {kBeacons, ""},
        {kPsu, ""},
        {kSafety, ""},
        {kLiEpAr, ""},
    };
    return groups;
}

std::vector<DisplayField> StatusFields(const DisplayInput& input) {
    const Block514 block = PaddedBlock(input.display);
    const ConstBytes b(block);
    FieldList out;
    AddHeader(out, input, b);
    AddAgc(out, b, input.raw);
    AddReceivers(out, b);
    AddTransmitters(out, b);
    AddExperiments(out, b);
    AddBeacons(out, b);
    AddPsu(out, b);
    AddSafety(out, b);
    AddLiEpAr(out, b);
    return out.Take();
}

}  // namespace orv
