#include "displays/navigation_content.h"

#include <cmath>
#include <iterator>

#include "displays/channel_table.h"
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
constexpr int kSpinRate = 0x100;
constexpr int kEpuPower = 0x183;
constexpr int kLiuPower = 0x182;
constexpr int kLiuValve = 0x113;
constexpr int kSunCount1 = 0x190;   // spin sun sensor counts
constexpr int kSunCount2 = 0x191;
constexpr int kOmniUpDown = 0x12D;  // the omni Z sensor: sun up or down

// Adds the channel fields of one group box; the channel table names and hints them. A field
// that is not shown reads "---".
class GroupFields {
public:
    GroupFields(FieldList& out, ConstBytes b, bool raw, std::string_view group, std::string_view subgroup = {})
        : out_(out), b_(b), raw_(raw), group_(group), subgroup_(subgroup) {}

    void Subgroup(std::string_view subgroup) { subgroup_ = subgroup; }
    void Text(int address, std::string text, FieldColour colour = FieldColour::Form) {
        out_.Add(ChannelField(address, group_, subgroup_), std::move(text), colour);
    }
    void Channel(int address, bool shown = true) { Text(address, shown ? ChannelText(b_, address, raw_) : "---"); }
    void Decimal(int address, bool shown = true) { Text(address, shown ? DecimalText(Byte(b_, address)) : "---"); }
    void Hex(int address, bool shown) { Text(address, shown ? HexText(Byte(b_, address), 2, true) : "---"); }

private:
    FieldList& out_;
    ConstBytes b_;
    bool raw_;
    std::string_view group_, subgroup_;
};

void AddEpu(FieldList& out, ConstBytes b, bool raw) {
    const bool shown = Bit(b, 0x1D9, 2) || raw;
    GroupFields g(out, b, raw, kEpu);
    g.Hex(0x181, shown);
    const std::string power = ChannelText(b, kEpuPower, raw);
    g.Text(kEpuPower, shown ? power : "---", shown ? RedUnlessOff(power) : FieldColour::Black);
    for (int address : {0x102, 0x101, 0x104, 0x103}) g.Channel(address, shown);
    g.Decimal(0x185, shown);
    g.Channel(0x105, shown);
    g.Decimal(0x186, shown);
}

// A two-state analog reading: raw mode shows the byte in black; converted mode the inactive
// word in black up to `limit`, the active word in red above it.
StateText Threshold(std::uint8_t v, bool raw, unsigned limit, const char* inactive, const char* active) {
    if (raw) return {DecimalText(v), FieldColour::Black};
    return v > limit ? StateText{active, FieldColour::Red} : StateText{inactive, FieldColour::Black};
}

void AddLiu(FieldList& out, ConstBytes b, bool raw) {
    const bool shown = Bit(b, kSensorByte, 3) || raw;
    GroupFields g(out, b, raw, kLiu);
    auto add = [&](int address, const StateText& s) {
        if (shown) g.Text(address, s.text, s.colour);
        else g.Text(address, "---", FieldColour::Black);
    };
    const std::string power = ChannelText(b, kLiuPower, raw);
    add(kLiuPower, {power, RedUnlessOff(power)});
    for (int address : {0x114, 0x115}) add(address, {ChannelText(b, address, raw), FieldColour::Form});
    add(kLiuValve, Threshold(Byte(b, kLiuValve), raw, 89, "close", "OPEN"));
    for (int address : {0x13A, 0x13B}) add(address, Threshold(Byte(b, address), raw, 15, "stowed", "released"));
}

void AddWheels(FieldList& out, ConstBytes b, bool raw) {
    struct Wheel {
        FieldInfo power, sync;
        int powerBit, syncBit;
    };
    const Wheel wheels[] = {
        {{"wheel1_pwr", kWheels, "", "#1 Pwr:", "Telem. addr =  #187/391, bit 0", "", {}},
         {"wheel1_sync", kWheels, "", "Sync:", "Telem. addr =  #1DA/474, bit 2", "", {}},
         0, 2},
        {{"wheel2_pwr", kWheels, "", "#2 Pwr:", "Telem. addr =  #187/391, bit 1", "", {}},
         {"wheel2_sync", kWheels, "", "Sync:", "Telem. addr =  #1DA/474, bit 3", "", {}},
         1, 3},
        {{"wheel3_pwr", kWheels, "", "#3 Pwr:", "Telem. addr =  #187/391, bit 2", "", {}},
         {"wheel3_sync", kWheels, "", "Sync:", "Telem. addr =  #1DA/474, bit 4", "", {}},
         2, 4},
    };
    static_assert(std::size(wheels) == kWheelWords.size());
    GroupFields g(out, b, raw, kWheels);
    for (std::size_t i = 0; i < kWheelWords.size(); ++i) {
        const Wheel& w = wheels[i];
        const bool on = Bit(b, 0x187, w.powerBit);
        const StateText power = OnOff(on);
        out.Add(w.power, power.text, power.colour);
        if (!on) out.Add(w.sync, "---", FieldColour::Black);
        else if (Bit(b, 0x1DA, w.syncBit)) out.Add(w.sync, "yes", FieldColour::Black);
        else out.Add(w.sync, "No", FieldColour::Red);
        g.Channel(kWheelWords[i]);
    }
}

void AddStability(FieldList& out, ConstBytes b) {
    out.Add({"mode", kStability, "", "Mode:", "Telem. addr =  #19F/415, bit 0", "", {}},
            Bit(b, kSpinByte, 0) ? "spin" : "3-axis");
    const StateText magnet = OnOff(Bit(b, 0x1A0, 0) || Bit(b, 0x1A2, 3));
    out.Add({"magnet", kStability, "", "Magnet:", "Telem. addr = #1A0/416, bit 1  or 1A2/418 bit 3 ", "", {}},
            magnet.text, magnet.colour);
    GroupFields(out, b, false, kStability).Decimal(0x1A1);
}

void AddSpinSunSensor(FieldList& out, ConstBytes b, bool raw) {
    const bool spin = Bit(b, kSpinByte, 0);
    GroupFields g(out, b, raw, kSpinSun);
    g.Channel(kSpinRate, raw || (spin && Byte(b, kSpinRate) < 170));
    g.Decimal(kSunCount1);
    g.Decimal(kSunCount2);
    out.Add({"sol_ang", kSpinSun, "", "Sol.Ang:", "Calculated value", "", {}},
            FixedText(SolarAngle(Byte(b, kSunCount1), Byte(b, kSunCount2)), 3, 1));
    g.Decimal(0x192);
    g.Decimal(0x193);
    out.Add({"threshold", kSpinSun, "", "Treshld:", "Telem. addr =  #1C6/454, bits 4-7 ", "", {}},
            FixedText(ThresholdVoltage(Byte(b, kSensorByte)), 2, 1) + "v");
}

void AddEarthSensors(FieldList& out, ConstBytes b) {
    GroupFields g(out, b, false, kEarth);
    g.Decimal(0x18A);
    g.Decimal(0x19A);
    g.Subgroup("ES-R Upper");
    g.Decimal(0x196);
    g.Decimal(0x197);
    g.Subgroup("ES-R Lower");
    g.Decimal(0x198);
    g.Decimal(0x199);
    g.Subgroup({});
    for (int address : {0x19B, 0x19C, 0x19D, 0x19E}) g.Decimal(address);
    static constexpr const char* kPointing[] = {"---", "side", "top", "S+T"};
    out.Add({"pointing", kEarth, "", "Pointing:", "Telem. addr =  #1C6/454, bits 0-1", "", {}},
            kPointing[Byte(b, kSensorByte) & 3U]);
    out.Add({"edge", kEarth, "", "Edge:", "Telem. addr =  #1C6/454, bit 2 ", "", {}},
            Bit(b, kSensorByte, 2) ? "pos" : "neg");
}

void AddThreeAxisSunSensors(FieldList& out, ConstBytes b, bool raw) {
    struct Sensor {
        int address;
        int validAddress;  // the sensor is read only when this byte is above 245
    };
    constexpr Sensor kAngles[] = {{0x12F, 0x136}, {0x12E, 0x136}, {0x135, 0x137}, {0x134, 0x137}};
    GroupFields g(out, b, raw, kThreeAxis, "Angle");
    for (const auto& s : kAngles) g.Channel(s.address, raw || Byte(b, s.validAddress) > 245);
    g.Subgroup("Omni");
    for (int address : {0x130, 0x131, 0x132, 0x133}) g.Channel(address);
    const std::uint8_t z = Byte(b, kOmniUpDown);
    g.Text(kOmniUpDown, raw ? DecimalText(z) : z > 128 ? "Up" : "Dwn");
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
