// Power and Temperature window content.
#include <gtest/gtest.h>

#include <set>

#include "displays/power_content.h"
#include "displays/temperature_content.h"
#include "field_cases.h"

namespace orv {
namespace {

using namespace test;

TEST(PowerContentTest, AnalogValuesAndOffVoltages) {
    const FieldCase cases[] = {
        {{{0x10B, 200}}, false, "bat_main", "29.5", Form},  // 29.476
        {{{0x10B, 200}}, true, "bat_main", "200", Form},
        {{{0x106, 0}}, false, "tot_bat", "-31.3", Form},
        {{{0x170, 7}}, false, "seu", "7.0", Form},  // identity, still one decimal
        {{{0x170, 7}}, true, "seu", "7", Form},
        {{{0x17A, 255}}, false, "i28v_s_tx", "10.6", Form},
        {{{0x18C, 10}}, false, "bat_off", "28.40", Form},  // 10 + 256 = 266
        {{{0x18C, 64}}, false, "bat_off", "20.32", Form},
        {{{0x18C, 63}}, false, "bat_off", "30.52", Form},  // 63 + 256
        {{{0x18C, 10}}, true, "bat_off", "10", Form},  // raw: before the + 256
        {{{0x18D, 200}}, false, "bcr1_sol_off", "14.4", Form},
        {{{0x18D, 0}}, false, "bcr1_sol_off", "20.0", Form},  // 0 + 256
        {{{0x18D, 128}}, false, "bcr1_sol_off", "7.2", Form},
        {{{0x18E, 127}}, false, "bcr2_sol_off", "32.7", Form},
        {{{0x18F, 255}}, false, "bcr3_sol_off", "19.9", Form},
        {{{0x18F, 0}}, true, "bcr3_sol_off", "0", Form},
    };
    test::ExpectFields(PowerFields, cases);
}

TEST(PowerContentTest, XBandTransmitterFields) {
    const FieldCase cases[] = {
        // Byte #1C8 bit 5 = 0: the three X-band fields mean nothing in converted mode.
        {{{0x117, 100}}, false, "out_x_tx", "---", Form},
        {{{0x119, 100}}, false, "ma_hel_x", "---", Form},
        {{{0x118, 150}}, false, "cs_x_tx", "---", Form},
        {{{0x117, 100}}, true, "out_x_tx", "100", Form},
        {{{0x119, 100}}, true, "ma_hel_x", "100", Form},
        {{{0x118, 150}}, true, "cs_x_tx", "150", Form},
        {{{0x1C8, 0x20}, {0x117, 100}}, false, "out_x_tx", "6.9", Form},
        {{{0x1C8, 0x20}, {0x119, 100}}, false, "ma_hel_x", "9.4", Form},
        {{{0x1C8, 0x20}, {0x118, 140}}, false, "cs_x_tx", "---", Form},
        {{{0x1C8, 0x20}, {0x118, 141}}, false, "cs_x_tx", "0/0/0", Form},
        {{{0x1C8, 0x20}, {0x118, 159}}, false, "cs_x_tx", "0/0/0", Form},
        {{{0x1C8, 0x20}, {0x118, 160}}, false, "cs_x_tx", "---", Form},
        {{{0x1C8, 0x20}, {0x118, 170}}, false, "cs_x_tx", "1/1/1", Form},
        {{{0x1C8, 0x20}, {0x118, 180}}, false, "cs_x_tx", "---", Form},
        {{{0x1C8, 0x20}, {0x118, 185}}, false, "cs_x_tx", "---", Form},
        {{{0x1C8, 0x20}, {0x118, 200}}, false, "cs_x_tx", "1/0-1", Form},
        {{{0x1C8, 0x20}, {0x118, 210}}, false, "cs_x_tx", "---", Form},
        {{{0x1C8, 0x20}, {0x118, 240}}, false, "cs_x_tx", "---", Form},
        {{{0x1C8, 0x20}, {0x118, 241}}, false, "cs_x_tx", "1/0/0", Form},
    };
    test::ExpectFields(PowerFields, cases);
}

TEST(TemperatureContentTest, ValuesColouredByTheShownTemperature) {
    const FieldCase cases[] = {
        {{{0x14C, 106}}, false, "pnl1", "0.1", Teal},
        {{{0x14C, 105}}, false, "pnl1", "-0.5", Blue},
        {{{0x140, 129}}, false, "seu", "15.3", Black},
        {{{0x140, 128}}, false, "seu", "14.6", Teal},
        {{{0x159, 167}}, false, "uv_rx", "40.4", Red},
        {{{0x159, 152}}, false, "uv_rx", "30.5", Yellow},
        {{{0x159, 151}}, false, "uv_rx", "29.8", Black},
        {{{0x146, 0}}, false, "aux5", "-69.7", Blue},
        {{{0x146, 0}}, true, "aux5", "0", Blue},  // raw byte, converted colour
        {{{0x146, 255}}, true, "aux5", "255", Red},
        {{{0x1C8, 0x20}, {0x12B, 0}}, false, "x_tx", "104", Red},
        {{{0x1C8, 0x20}, {0x12C, 200}}, false, "tw_x_tx", "21.2", Black},
        {{{0x12B, 0}}, false, "x_tx", "---", Black},
        {{{0x12C, 0}}, false, "tw_x_tx", "---", Black},
        {{{0x12B, 0}}, true, "x_tx", "0", Red},
        {{{0x12C, 250}}, true, "tw_x_tx", "250", Teal},  // -0.413 * 250 + 103.8 = 0.55
    };
    test::ExpectFields(TemperatureFields, cases);
}

TEST(TemperatureContentTest, ColourScaleBounds) {
    const std::pair<const char*, FieldColour> cases[] = {
        {"-69.7", Blue}, {"0.0", Blue},   {"0.1", Teal},    {"15.0", Teal}, {"15.1", Black},
        {"30.0", Black}, {"30.1", Yellow}, {"40.0", Yellow}, {"40.1", Red},  {"104", Red},
    };
    for (const auto& [text, colour] : cases) EXPECT_EQ(TemperatureColour(text), colour) << text;
    // 15.04 is shown as 15.0 and so is teal, though the value itself is above 15.
    EXPECT_EQ(TemperatureColour(ChannelValueText(15.04F, 0x140, false)), Teal);
}

// Every caption names the address it shows and graphs.
TEST(PowerTemperatureTest, HintsNameTheGraphedAddress) {
    const Block514 block = ABlock({});
    for (auto fieldsOf : {PowerFields, TemperatureFields}) {
        std::set<std::string_view> ids;
        for (const auto& f : fieldsOf({block, block, false, false})) {
            EXPECT_TRUE(ids.insert(f.info.id).second) << f.info.id;
            if (!f.info.graph) continue;
            EXPECT_EQ(f.info.hint, "Telem. addr = " + TelemetryAddressText(f.info.graph->address)) << f.info.id;
        }
    }
    const auto power = PowerFields({block, block, false, false});
    EXPECT_EQ(power.size(), 37U);
    for (const char* id : {"bat_off", "bcr1_sol_off", "bcr2_sol_off", "bcr3_sol_off"})
        EXPECT_FALSE(FindField(power, id)->info.graph) << id;
    EXPECT_EQ(FindField(power, "cs_x_tx")->info.valueHint, "Status of TWT/FIL/OVR.  1=on, 0=off");
    const auto temps = TemperatureFields({block, block, false, false});
    EXPECT_EQ(temps.size(), 47U);
    for (const auto& f : temps) EXPECT_EQ(f.info.graph->units, "Deg.C");
}

}  // namespace
}  // namespace orv
