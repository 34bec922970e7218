// Navigation window content.
#include <gtest/gtest.h>

#include <set>

#include "displays/navigation_content.h"
#include "field_cases.h"

namespace orv {
namespace {

using namespace test;

TEST(NavigationContentTest, EpuShownWhileOnOrRaw) {
    const std::initializer_list<test::ByteSet> bytes = {{0x181, 0x3C}, {0x183, 0xAA}, {0x102, 100}, {0x185, 200},
                                                        {0x186, 7},    {0x104, 255}};
    const Block514 off = ABlock(bytes);
    const auto converted = NavigationFields({off, off, false, false});
    int placeholders = 0;
    for (const auto& f : converted)
        if (f.info.group == "EPU") {
            EXPECT_EQ(f.text, "---") << f.info.id;
            EXPECT_EQ(f.colour, f.info.id == "epu_pwr" ? Black : Form) << f.info.id;
            ++placeholders;
        }
    EXPECT_EQ(placeholders, 9);
    const FieldCase cases[] = {
        {{{0x181, 0x3C}}, true, "epu_conf", "#3C", Form},
        {{{0x183, 0xAA}}, true, "epu_pwr", "ON", Red},
        {{{0x183, 0x55}}, true, "epu_pwr", "off", Black},
        {{{0x102, 100}}, true, "epu_prs_tnk", "100", Form},
        {{{0x185, 200}}, true, "epu_cur", "200", Form},
        {{{0x1D9, 0x04}, {0x181, 0x3C}}, false, "epu_conf", "#3C", Form},
        {{{0x1D9, 0x04}, {0x183, 0xAA}}, false, "epu_pwr", "ON", Red},
        {{{0x1D9, 0x04}}, false, "epu_pwr", "off", Black},
        {{{0x1D9, 0x04}, {0x102, 100}}, false, "epu_prs_tnk", "7.0", Form},
        {{{0x1D9, 0x04}, {0x101, 100}}, false, "epu_prs_mtr", "6.9", Form},
        {{{0x1D9, 0x04}, {0x104, 255}}, false, "epu_volts", "48.3", Form},
        {{{0x1D9, 0x04}, {0x103, 100}}, false, "epu_i_anlog", "4.7", Form},
        {{{0x1D9, 0x04}, {0x185, 200}}, false, "epu_cur", "200", Form},
        {{{0x1D9, 0x04}, {0x105, 200}}, false, "epu_flo_anlg", "200", Form},
        {{{0x1D9, 0x04}, {0x186, 7}}, false, "epu_flow", "7", Form},
    };
    test::ExpectFields(NavigationFields, cases);
}

TEST(NavigationContentTest, LiuAndPanelDeployment) {
    const FieldCase cases[] = {
        {{{0x113, 90}}, false, "liu_valve", "---", Black},
        {{{0x114, 90}}, false, "liu_hipres", "---", Black},
        {{{0x182, 0xAA}}, false, "liu_pwr", "---", Black},
        {{{0x13B, 90}}, false, "liu_arub", "---", Black},
        {{{0x1C6, 0x08}, {0x113, 89}}, false, "liu_valve", "close", Black},
        {{{0x1C6, 0x08}, {0x113, 90}}, false, "liu_valve", "OPEN", Red},
        {{{0x113, 90}}, true, "liu_valve", "90", Black},
        {{{0x1C6, 0x08}, {0x13A, 15}}, false, "liu_arua", "stowed", Black},
        {{{0x1C6, 0x08}, {0x13A, 16}}, false, "liu_arua", "released", Red},
        {{{0x1C6, 0x08}, {0x13B, 16}}, false, "liu_arub", "released", Red},
        {{{0x13B, 16}}, true, "liu_arub", "16", Black},
        {{{0x1C6, 0x08}, {0x182, 0xAA}}, false, "liu_pwr", "ON", Red},
        {{{0x1C6, 0x08}, {0x182, 0xAB}}, false, "liu_pwr", "off", Black},
        {{{0x182, 0xAA}}, true, "liu_pwr", "ON", Red},
        {{{0x1C6, 0x08}, {0x114, 100}}, false, "liu_hipres", "37.0", Form},
        {{{0x1C6, 0x08}, {0x115, 100}}, false, "liu_lopres", "11.1", Form},
    };
    test::ExpectFields(NavigationFields, cases);
}

TEST(NavigationContentTest, WheelsAndStability) {
    const FieldCase cases[] = {
        {{{0x187, 0x01}}, false, "wheel1_pwr", "ON", Red},
        {{{0x187, 0x01}, {0x1DA, 0x04}}, false, "wheel1_sync", "yes", Black},
        {{{0x187, 0x01}}, false, "wheel1_sync", "No", Red},
        {{{0x1DA, 0x04}}, false, "wheel1_sync", "---", Black},  // wheel off
        {{{0x187, 0x02}, {0x1DA, 0x08}}, false, "wheel2_sync", "yes", Black},
        {{{0x187, 0x04}, {0x1DA, 0x10}}, false, "wheel3_sync", "yes", Black},
        {{{0x187, 0x04}}, false, "wheel3_pwr", "ON", Red},
        {{}, false, "wheel2_pwr", "off", Black},
        {{}, false, "wheel1_spd", "0.0", Form},  // word 0, wheel off: shown all the same
        {{{0x1C2, 0xFE}, {0x1C3, 0x5F}}, false, "wheel2_spd", "0.0", Form},
        {{{0x1C4, 0xFF}, {0x1C5, 0xFF}}, false, "wheel3_spd", "-3084", Form},
        {{{0x1C4, 0xFF}, {0x1C5, 0xFF}}, true, "wheel3_spd", "#FFFF", Form},
        {{{0x1C0, 0x10}, {0x1C1, 0x27}}, false, "wheel1_spd", "7190", Form},      // word 10000
        {{{0x1C0, 0xD0}, {0x1C1, 0x07}}, false, "wheel1_spd", "5.564E+04", Form},  // word 2000
        {{{0x19F, 0x01}}, false, "mode", "spin", Form},
        {{}, false, "mode", "3-axis", Form},
        {{{0x1A0, 0x01}}, false, "magnet", "ON", Red},
        {{{0x1A2, 0x08}}, false, "magnet", "ON", Red},
        {{}, false, "magnet", "off", Black},
        {{{0x1A1, 250}}, true, "m_soll", "250", Form},
    };
    test::ExpectFields(NavigationFields, cases);
}

TEST(NavigationContentTest, SunAndEarthSensors) {
    const FieldCase cases[] = {
        {{{0x19F, 0x01}, {0x100, 170}}, false, "seu", "---", Form},
        {{{0x19F, 0x01}, {0x100, 169}}, false, "seu", "5.8", Form},
        {{{0x19F, 0x01}, {0x100, 170}}, true, "seu", "170", Form},
        {{{0x100, 100}}, false, "seu", "---", Form},  // 3-axis: raw mode only
        {{{0x100, 100}}, true, "seu", "100", Form},
        {{{0x190, 10}, {0x191, 10}}, false, "sol_ang", "0.0", Form},
        {{{0x190, 0}, {0x191, 64}}, false, "sol_ang", "50.8", Form},
        {{{0x190, 0}, {0x191, 64}}, true, "sol_ang", "50.8", Form},  // always converted
        {{{0x190, 200}}, true, "ss1_cnt", "200", Form},
        {{{0x1C6, 0xF0}}, false, "threshold", "4.5v", Form},
        {{}, false, "threshold", "0.0v", Form},
        {{{0x1C6, 0x10}}, false, "threshold", "0.3v", Form},
        {{{0x1C6, 0x60}}, false, "threshold", "1.8v", Form},
        {{}, false, "pointing", "---", Form},
        {{{0x1C6, 0x01}}, false, "pointing", "side", Form},
        {{{0x1C6, 0x02}}, false, "pointing", "top", Form},
        {{{0x1C6, 0x03}}, false, "pointing", "S+T", Form},
        {{{0x1C6, 0x04}}, false, "edge", "pos", Form},
        {{}, false, "edge", "neg", Form},
        {{{0x198, 33}}, false, "lower_ma", "33", Form},
        {{{0x19E, 9}}, false, "es2_update", "9", Form},
        {{{0x12F, 100}, {0x136, 245}}, false, "y25", "---", Form},
        {{{0x12F, 100}, {0x136, 246}}, false, "y25", "-6.5", Form},
        {{{0x12E, 100}, {0x136, 246}}, false, "z25", "-6.5", Form},
        {{{0x12F, 100}}, true, "y25", "100", Form},
        {{{0x135, 100}, {0x137, 245}}, false, "y45", "---", Form},
        {{{0x134, 100}, {0x137, 255}}, false, "z45", "-9.6", Form},
        {{{0x130, 255}}, false, "up_x", "0.0", Form},
        {{{0x133, 0}}, false, "dn_y", "90.0", Form},
        {{{0x131, 0}}, true, "up_y", "0", Form},
        {{{0x12D, 128}}, false, "ud_z", "Dwn", Form},
        {{{0x12D, 129}}, false, "ud_z", "Up", Form},
        {{{0x12D, 129}}, true, "ud_z", "129", Form},
    };
    test::ExpectFields(NavigationFields, cases);
}

TEST(NavigationContentTest, SolarAngleReadsSignedCounts) {
    EXPECT_FLOAT_EQ(SolarAngle(200, 0), SolarAngle(0, 56));  // 200 is -56
    EXPECT_FLOAT_EQ(SolarAngle(0, 200), -SolarAngle(0, 56));
    EXPECT_NEAR(SolarAngle(0, 64), 50.77, 0.01);
    EXPECT_FLOAT_EQ(ThresholdVoltage(0xF0), 0.3F + 0.6F + 1.2F + 2.4F);
}

TEST(NavigationContentTest, FieldsAreUniqueAndGraphTheirHintAddress) {
    const Block514 block = ABlock({});
    const auto fields = NavigationFields({block, block, false, false});
    std::set<std::string_view> ids;
    for (const auto& f : fields) {
        EXPECT_TRUE(ids.insert(f.info.id).second) << f.info.id;
        if (f.info.graph) {
            EXPECT_NE(f.info.hint.find(TelemetryAddressText(f.info.graph->address)), std::string_view::npos)
                << f.info.id;
        }
    }
    EXPECT_EQ(fields.size(), 9U + 6U + 9U + 3U + 7U + 12U + 9U);
    EXPECT_EQ(FindField(fields, "upper_orb")->info.subgroup, "ES-R Upper");
    EXPECT_EQ(FindField(fields, "ud_z")->info.subgroup, "Omni");
    EXPECT_FALSE(FindField(fields, "liu_pwr")->info.graph);
    EXPECT_EQ(FindField(fields, "epu_pwr")->info.graph->title, "EPU Power");
}

}  // namespace
}  // namespace orv
