#include "displays/navigation_content.h"

#include <cmath>

#include "text/number_text.h"

namespace orv {
namespace {

constexpr std::string_view kEpu = "EPU";
constexpr std::string_view kLiu = "LIU / SP Deploy";
constexpr std::string_view kWheels = "Wheels";
constexpr std::string_view kStability = "Stability";
constexpr std::string_view kSpinSun = "Spin Sun Sens.";
constexpr std::string_view kEarth = "Earth Sensors";
constexpr std::string_view kThreeAxis = "3-Ax Sun Sens.";

constexpr float kPi = 3.141592F;  // the single-precision value the calculation was made with

constexpr int kSensorByte = 0x1C6;  // LIU power (bit 3), threshold (4..7), pointing (0..1), edge (2)
constexpr int kSpinByte = 0x19F;    // bit 0: spin mode

GraphLink Graph(int address, std::string_view title, std::string_view units) { return {address, title, units}; }


void AddEpu(FieldList& out, ConstBytes b, bool raw) {
    const bool shown = Bit(b, 0x1D9, 2) || raw;
    auto add = [&](const FieldInfo& info, std::string text) { out.Add(info, shown ? std::move(text) : "---"); };
    add({"epu_conf", kEpu, "", "Conf:", "Telem. addr =  #181/385", "", Graph(0x181, "EPU Configuration", "Raw Data")},
        HexText(Byte(b, 0x181), 2, true));
    const std::string power = ChannelText(b, 0x183, raw);
    out.Add({"epu_pwr", kEpu, "", "Pwr:", "Telem. addr =  #183/387", "", Graph(0x183, "EPU Power", "Raw Data")},
            shown ? power : "---", shown ? RedUnlessOff(power) : FieldColour::Black);
    add({"epu_prs_tnk", kEpu, "", "Prs.Tnk:", "Telem. addr =  #102/258", "",
         Graph(0x102, "Pressure, Tank", "Press. (bar)")},
        ChannelText(b, 0x102, raw));
    add({"epu_prs_mtr", kEpu, "", "Prs.Mtr:", "Telem. addr =  #101/257", "",
         Graph(0x101, "Pressure, EPU Motor", "Press. (bar)")},
        ChannelText(b, 0x101, raw));
    add({"epu_volts", kEpu, "", "Volts:", "Telem. addr =  #104/260", "", Graph(0x104, "Voltage, EPU", "Raw Data")},
        ChannelText(b, 0x104, raw));
    add({"epu_i_anlog", kEpu, "", "I-Anlog:", "Telem. addr =  #103/259", "",
         Graph(0x103, "Voltage, Analog EPU", "Raw Data")},
        ChannelText(b, 0x103, raw));
    add({"epu_cur", kEpu, "", "Cur:", "Telem. addr =  #185/389", "", Graph(0x185, "Current, Digital EPU", "Raw Data")},
        DecimalText(Byte(b, 0x185)));
    add({"epu_flo_anlg", kEpu, "", "Flo.Anlg:", "Telem. addr =  #105/261", "",
         Graph(0x105, "Flow, Analog EPU", "Raw Data")},
        ChannelText(b, 0x105, raw));
    add({"epu_flow", kEpu, "", "Flow:", "Telem. addr =  #186/390", "", Graph(0x186, "Flow, Digital EPU", "Raw Data")},
        DecimalText(Byte(b, 0x186)));
}

// A two-state analog reading: raw mode shows the byte in black; converted mode the inactive
// word in black up to `limit`, the active word in red above it.
StateText Threshold(std::uint8_t v, bool raw, unsigned limit, const char* inactive, const char* active) {
    if (raw) return {DecimalText(v), FieldColour::Black};
    return v > limit ? StateText{active, FieldColour::Red} : StateText{inactive, FieldColour::Black};
}

void AddLiu(FieldList& out, ConstBytes b, bool raw) {
    const bool shown = Bit(b, kSensorByte, 3) || raw;
    auto add = [&](const FieldInfo& info, const StateText& s) {
        if (shown) out.Add(info, s.text, s.colour);
        else out.Add(info, "---", FieldColour::Black);
    };
    const std::string power = ChannelText(b, 0x182, raw);
    add({"liu_pwr", kLiu, "", "Pwr:", "Telem. addr =  #182/386", "", {}}, {power, RedUnlessOff(power)});
    add({"liu_hipres", kLiu, "", "HiPres:", "Telem. addr = #114/276", "",
         Graph(0x114, "400N High Pressure", "Raw Data")},
        {ChannelText(b, 0x114, raw), FieldColour::Form});
    add({"liu_lopres", kLiu, "", "LoPres:", "Telem. addr = #115/277", "",
         Graph(0x115, "400N Low Pressure", "Abs. Press (Bar)")},
        {ChannelText(b, 0x115, raw), FieldColour::Form});
    add({"liu_valve", kLiu, "", "Valve:", "Telem. addr =  #113/275", "", Graph(0x113, "LIU Valve Setting", "Raw Data")},
        Threshold(Byte(b, 0x113), raw, 89, "close", "OPEN"));
    add({"liu_arua", kLiu, "", "ARUa:", "Telem. addr = #13A/314", "", Graph(0x13A, "ARU A", "Raw Data")},
        Threshold(Byte(b, 0x13A), raw, 15, "stowed", "released"));
    add({"liu_arub", kLiu, "", "ARUb:", "Telem. addr = #13B/315", "", Graph(0x13B, "ARU B", "Raw Data")},
        Threshold(Byte(b, 0x13B), raw, 15, "stowed", "released"));
}

void AddWheels(FieldList& out, ConstBytes b, bool raw) {
    struct Wheel {
        FieldInfo power, sync, speed;
        int powerBit, syncBit, address;
    };
    const Wheel wheels[] = {
        {{"wheel1_pwr", kWheels, "", "#1 Pwr:", "Telem. addr =  #187/391, bit 0", "", {}},
         {"wheel1_sync", kWheels, "", "Sync:", "Telem. addr =  #1DA/474, bit 2", "", {}},
         {"wheel1_spd", kWheels, "", "Spd:", "Telem. addr =  #1C0/448 - #1C1/449", "", Graph(0x1C0, "Wheel #1 Speed", "RPM")},
         0, 2, 0x1C0},
        {{"wheel2_pwr", kWheels, "", "#2 Pwr:", "Telem. addr =  #187/391, bit 1", "", {}},
         {"wheel2_sync", kWheels, "", "Sync:", "Telem. addr =  #1DA/474, bit 3", "", {}},
         {"wheel2_spd", kWheels, "", "Spd:", "Telem. addr =  #1C2/450 - #1C3/451", "", Graph(0x1C2, "Wheel #2 Speed", "RPM")},
         1, 3, 0x1C2},
        {{"wheel3_pwr", kWheels, "", "#3 Pwr:", "Telem. addr =  #187/391, bit 2", "", {}},
         {"wheel3_sync", kWheels, "", "Sync:", "Telem. addr =  #1DA/474, bit 4", "", {}},
         {"wheel3_spd", kWheels, "", "Spd:", "Telem. addr =  #1C4/452 - #1C5/453", "", Graph(0x1C4, "Wheel #3 Speed", "RPM")},
         2, 4, 0x1C4},
    };
    for (const auto& w : wheels) {
        const bool on = Bit(b, 0x187, w.powerBit);
        const StateText power = OnOff(on);
        out.Add(w.power, power.text, power.colour);
        if (!on) out.Add(w.sync, "---", FieldColour::Black);
        else if (Bit(b, 0x1DA, w.syncBit)) out.Add(w.sync, "yes", FieldColour::Black);
        else out.Add(w.sync, "No", FieldColour::Red);
        out.Add(w.speed, ChannelText(b, w.address, raw));
    }
}

void AddStability(FieldList& out, ConstBytes b) {
    out.Add({"mode", kStability, "", "Mode:", "Telem. addr =  #19F/415, bit 0", "", {}},
            Bit(b, kSpinByte, 0) ? "spin" : "3-axis");
    const StateText magnet = OnOff(Bit(b, 0x1A0, 0) || Bit(b, 0x1A2, 3));
    out.Add({"magnet", kStability, "", "Magnet:", "Telem. addr = #1A0/416, bit 1  or 1A2/418 bit 3 ", "", {}},
            magnet.text, magnet.colour);
    out.Add({"m_soll", kStability, "", "M-SOLL:", "Telem. addr =  #1A1/417", "", Graph(0x1A1, "M-SOLL", "Raw Data")},
            DecimalText(Byte(b, 0x1A1)));
}

void AddSpinSunSensor(FieldList& out, ConstBytes b, bool raw) {
    const bool spin = Bit(b, kSpinByte, 0);
    const bool seuShown = raw || (spin && Byte(b, 0x100) < 170);
    out.Add({"seu", kSpinSun, "", "SEU:", "Telem. addr =  #100/256", "", Graph(0x100, "SEU Spin Rate", "RPM")},
            seuShown ? ChannelText(b, 0x100, raw) : "---");
    out.Add({"ss1_cnt", kSpinSun, "", "SS1 cnt:", "Telem. addr =   #190/400", "", {}}, DecimalText(Byte(b, 0x190)));
    out.Add({"ss2_cnt", kSpinSun, "", "SS2 cnt:", "Telem. addr =  #191/401", "", {}}, DecimalText(Byte(b, 0x191)));
    out.Add({"sol_ang", kSpinSun, "", "Sol.Ang:", "Calculated value", "", {}},
            FixedText(SolarAngle(Byte(b, 0x190), Byte(b, 0x191)), 3, 1));
    out.Add({"flags", kSpinSun, "", "Flags:", "Telem. addr =  #192/402", "", {}}, DecimalText(Byte(b, 0x192)));
    out.Add({"raw_count", kSpinSun, "", "Raw#:", "Telem. addr =  #193/403", "", {}}, DecimalText(Byte(b, 0x193)));
    out.Add({"threshold", kSpinSun, "", "Treshld:", "Telem. addr =  #1C6/454, bits 4-7 ", "", {}},
            FixedText(ThresholdVoltage(Byte(b, kSensorByte)), 2, 1) + "v");
}

void AddEarthSensors(FieldList& out, ConstBytes b) {
    struct Row {
        FieldInfo info;
        int address;
    };
    const Row rows[] = {
        {{"sensitivity", kEarth, "", "Sensitiv:", "Telem. addr = #18A/394", "", {}}, 0x18A},
        {{"lock_range", kEarth, "", "Lock Rng:", "Telem. addr =  #19A/410", "", {}}, 0x19A},
        {{"upper_ma", kEarth, "ES-R Upper", "MA:", "Telem. addr =  #196/406", "", {}}, 0x196},
        {{"upper_orb", kEarth, "ES-R Upper", "Orb#:", "Telem. addr =  #197/407", "", {}}, 0x197},
        {{"lower_ma", kEarth, "ES-R Lower", "MA:", "Telem. addr = #198/408", "", {}}, 0x198},
        {{"lower_orb", kEarth, "ES-R Lower", "Orb#:", "Telem. addr = #199/409", "", {}}, 0x199},
        {{"es1", kEarth, "", "ES1:", "Telem. addr =  #19B/411", "", {}}, 0x19B},
        {{"es1_update", kEarth, "", "Update:", "Telem. addr =  #19C/412", "", {}}, 0x19C},
        {{"es2", kEarth, "", "ES2:", "Telem. addr =  #19D/413", "", {}}, 0x19D},
        {{"es2_update", kEarth, "", "Update:", "Telem. addr =  #19E/414", "", {}}, 0x19E},
    };
    for (const auto& r : rows) out.Add(r.info, DecimalText(Byte(b, r.address)));
    static constexpr const char* kPointing[] = {"---", "side", "top", "S+T"};
    out.Add({"pointing", kEarth, "", "Pointing:", "Telem. addr =  #1C6/454, bits 0-1", "", {}},
            kPointing[Byte(b, kSensorByte) & 3U]);
    out.Add({"edge", kEarth, "", "Edge:", "Telem. addr =  #1C6/454, bit 2 ", "", {}},
            Bit(b, kSensorByte, 2) ? "pos" : "neg");
}

void AddThreeAxisSunSensors(FieldList& out, ConstBytes b, bool raw) {
    struct Row {
        FieldInfo info;
        int address;
        int validAddress;  // the sensor is read only when this byte is above 245; 0 for always
    };
    const Row rows[] = {
        {{"y25", kThreeAxis, "Angle", "Y/25:", "Telem. addr =  #12F/303", "", Graph(0x12F, "Solar Angle Y/25", "Solar Angle")},
         0x12F, 0x136},
        {{"z25", kThreeAxis, "Angle", "Z/25:", "Telem. addr =  #12E/302", "",
          Graph(0x12E, "Solar Angle, Z/25", "Solar Angle")},
         0x12E, 0x136},
        {{"y45", kThreeAxis, "Angle", "Y/45:", "Telem. addr =  #135/309", "", Graph(0x135, "Solar Angle Y/45", "Solar Angle")},
         0x135, 0x137},
        {{"z45", kThreeAxis, "Angle", "Z/45:", "Telem. addr =  #134/308", "",
          Graph(0x134, "Solar Angle, Z/45", "Solar Angle")},
         0x134, 0x137},
        {{"up_x", kThreeAxis, "Omni", "Up-X:", "Telem. addr =  #130/304", "",
          Graph(0x130, "Omni Solar Angle, Up-X ", "Solar Angle")},
         0x130, 0},
        {{"up_y", kThreeAxis, "Omni", "Up-Y:", "Telem. addr =  #131/305", "",
          Graph(0x131, "Omni Solar Angle, Up-Y", "Solar Angle")},
         0x131, 0},
        {{"dn_x", kThreeAxis, "Omni", "Dn-X:", "Telem. addr =  #132/306", "",
          Graph(0x132, "Omni Solar Angle, Down-X", "Solar Angle")},
         0x132, 0},
        {{"dn_y", kThreeAxis, "Omni", "Dn-Y:", "Telem. addr =   #133/307", "",
          Graph(0x133, "Omni Solar Angle, Down-Y", "Solar Angle")},
         0x133, 0},
    };
    for (const auto& r : rows) {
        const bool shown = raw || r.validAddress == 0 || Byte(b, r.validAddress) > 245;
        out.Add(r.info, shown ? ChannelText(b, r.address, raw) : "---");
    }
    const std::uint8_t z = Byte(b, 0x12D);
    out.Add({"ud_z", kThreeAxis, "Omni", "U/D Z:", "Telem. addr = #12D/301", "",
             Graph(0x12D, "Omni Solar Angle, Up/Down-Z", "Solar Angle")},
            raw ? DecimalText(z) : z > 128 ? "Up" : "Dwn");
}

}  // namespace

float SolarAngle(std::uint8_t count1, std::uint8_t count2) {
    const int a = count1 > 127 ? count1 - 256 : count1;
    const int b = count2 > 127 ? count2 - 256 : count2;
    const long double k = std::tan(static_cast<long double>(60.0F) * kPi * (1.0L / 180));
    const long double d = static_cast<long double>(b - a) * kPi / 256;
    return static_cast<float>(std::atan(std::sin(d) * k) * 180 / kPi);
}

float ThresholdVoltage(std::uint8_t byte1C6) {
    float v = 0.0F;
    if (byte1C6 & 0x10U) v += 0.3F;
    if (byte1C6 & 0x20U) v += 0.6F;
    if (byte1C6 & 0x40U) v += 1.2F;
    if (byte1C6 & 0x80U) v += 2.4F;
    return v;
}

const WindowInfo& NavigationWindowInfo() {
    static const WindowInfo info{"NavigationWindow", " Navigation                          Orv", "Nav",
                                 " Shift-L-click to switch analog values from converted to raw. ", 15, 100, 500, true};
    return info;
}

const std::vector<GroupInfo>& NavigationGroups() {
    static const std::vector<GroupInfo> groups = {{kEpu, ""},     {kLiu, ""},   {kWheels, ""},   {kStability, ""},
                                                  {kSpinSun, ""}, {kEarth, ""}, {kThreeAxis, ""}};
    return groups;
}

std::vector<DisplayField> NavigationFields(const DisplayInput& input) {
    const Block514 block = PaddedBlock(input.display);
    const ConstBytes b(block);
    FieldList out;
    AddEpu(out, b, input.raw);
    AddLiu(out, b, input.raw);
    AddWheels(out, b, input.raw);
    AddStability(out, b);
    AddSpinSunSensor(out, b, input.raw);
    AddEarthSensors(out, b);
    AddThreeAxisSunSensors(out, b, input.raw);
    return out.Take();
}

}  // namespace orv
