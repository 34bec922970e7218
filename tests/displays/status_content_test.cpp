// Status window content.
#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "displays/status_content.h"
#include "field_cases.h"

namespace orv {
namespace {

using namespace test;

TEST(StatusContentTest, AgcShownByReceiverAndTransmitterState) {
    const FieldCase cases[] = {
        // Byte #1CA = 0: V receiver off, U receiver on.
        {{{0x11E, 100}, {0x11F, 100}}, false, "agc_v_rx", "---", Form},
        {{{0x11E, 100}, {0x11F, 100}}, false, "agc_u_rx", "13.8", Form},  // 0.457 * 100 - 31.9
        {{{0x11E, 100}, {0x11F, 100}}, true, "agc_v_rx", "100", Form},    // raw mode shows every value
        {{{0x11E, 100}, {0x11F, 100}}, true, "agc_u_rx", "100", Form},
        {{{0x1CA, 0x04}, {0x11E, 100}}, false, "agc_v_rx", "10.6", Form},
        {{{0x1CA, 0x04}, {0x11F, 100}}, false, "agc_u_rx", "---", Form},
        {{{0x1C9, 0x04}, {0x126, 77}}, false, "agc_u_tx", "77.0", Form},
        {{{0x1C9, 0x04}, {0x1C8, 0x04}, {0x126, 77}}, false, "agc_u_tx", "---", Form},  // low power
        {{{0x126, 77}}, false, "agc_u_tx", "---", Form},
        {{{0x126, 77}}, true, "agc_u_tx", "77", Form},
        {{{0x116, 100}}, false, "agc_l2_rx", "---", Form},
        {{{0x1CA, 0x20}, {0x116, 100}}, false, "agc_l2_rx", "4.8", Form},
        {{{0x11D, 100}}, false, "agc_s1_rx", "---", Form},
        {{{0x1CA, 0x40}, {0x11D, 100}}, false, "agc_s1_rx", "13.0", Form},  // -0.004 * 100^2 + 1.25 * 100 - 72
        {{{0x11B, 100}}, false, "agc_s2c_rx", "---", Form},
        {{{0x1CA, 0x08}, {0x11B, 100}}, false, "agc_s2c_rx", "-28.0", Form},
        {{{0x1CA, 0x80}, {0x11B, 100}}, false, "agc_s2c_rx", "-28.0", Form},
        {{{0x120, 0}}, false, "agc_l1_rx", "-7.9", Form},
        {{{0x124, 200}}, false, "agc_v_tx", "200", Form},
        {{{0x139, 5}}, false, "agc_s2_tx", "5.0", Form},
        {{{0x11C, 5}}, true, "agc_hf_rx", "5", Form},
        {{{0x184, 0xAB}}, false, "agc_x_tx", "#AB", Form},  // hex in both modes
        {{{0x184, 0x0C}}, true, "agc_x_tx", "#0C", Form},
    };
    test::ExpectFields(StatusFields, cases);
}

TEST(StatusContentTest, ReceiversAndAntennas) {
    const FieldCase cases[] = {
        {{}, false, "rx_v", "off", Black},
        {{}, false, "rx_u", "ON/Hi", Red},
        {{{0x189, 0x02}}, false, "rx_u", "ON/o", Red},
        {{{0x1CA, 0x04}}, false, "rx_v", "ON/Hi", Red},
        {{{0x1CA, 0x04}, {0x189, 0x01}}, false, "rx_v", "ON/o", Red},
        {{{0x1CA, 0x04}}, false, "rx_u", "off", Black},
        {{{0x189, 0x08}}, false, "rx_l1", "ON/Hi", Red},
        {{{0x189, 0x04}}, false, "rx_l1", "ON/o", Red},
        {{{0x189, 0x0C}}, false, "rx_l1", "ON/Ho", Red},
        {{{0x189, 0x00}}, false, "rx_l1", "ON/Ho", Red},
        {{{0x189, 0x08}}, false, "rx_l2", "off", Black},
        {{{0x1CA, 0x20}, {0x189, 0x08}}, false, "rx_l2", "ON/Hi", Red},
        {{{0x1CA, 0x01}}, false, "rx_21", "ON", Red},
        {{{0x1CA, 0x02}}, false, "rx_24", "ON", Red},
        {{{0x1CA, 0x02}}, false, "rx_21", "off", Black},
        {{{0x1CA, 0x40}}, false, "rx_s1", "ON", Red},
        {{{0x1CA, 0x08}}, false, "rx_s2", "ON", Red},
        {{{0x1CA, 0x80}}, false, "rx_c", "ON", Red},
        {{{0x1D0, 0x34}, {0x1D1, 0x12}}, false, "leila", "#1234", Form},
    };
    test::ExpectFields(StatusFields, cases);
}

TEST(StatusContentTest, TransmittersWithGreyOverride) {
    const FieldCase cases[] = {
        {{{0x1C9, 0x02}, {0x189, 0x01}}, false, "tx_v", "ON/Hi", Red},
        {{{0x1C9, 0x02}}, false, "tx_v", "ON/o", Red},
        {{{0x1C9, 0x02}, {0x1F1, 0x02}}, false, "tx_v", "ON/o", Grey},
        {{{0x1F1, 0x02}}, false, "tx_v", "off", Grey},  // greyed whatever its state
        {{{0x1C9, 0x04}}, false, "tx_u", "ON/o", Red},
        {{{0x1C9, 0x04}, {0x189, 0x02}}, false, "tx_u", "ON/Hi", Red},
        {{{0x1C8, 0x04}, {0x189, 0x02}}, false, "tx_u", "Low/Hi", Red},
        {{{0x1C8, 0x04}, {0x1C9, 0x04}}, false, "tx_u", "Low/o", Red},
        {{{0x1C8, 0x04}, {0x1F0, 0x04}}, false, "tx_u", "Low/o", Grey},
        {{{0x1C9, 0x04}, {0x1F1, 0x04}}, false, "tx_u", "ON/o", Grey},
        {{}, false, "tx_u", "off", Black},
        {{{0x1C9, 0x08}}, false, "tx_s1", "ON", Red},
        {{{0x1C9, 0x08}, {0x1F1, 0x08}}, false, "tx_s1", "ON", Grey},
        {{{0x1C8, 0x01}}, false, "tx_s2", "ON", Red},
        {{{0x1C8, 0x01}, {0x1F0, 0x01}}, false, "tx_s2", "ON", Grey},
        {{{0x1C9, 0x20}, {0x1C8, 0x20}}, false, "tx_x", "HI", Red},
        {{{0x1C8, 0x20}}, false, "tx_x", "Low", Red},
        {{}, false, "tx_x", "off", Black},
        {{{0x1C8, 0x20}, {0x1F0, 0x20}}, false, "tx_x", "Low", Grey},
        {{{0x1C9, 0x20}, {0x1F1, 0x20}}, false, "tx_x", "HI", Grey},
        {{{0x1EE, 0x40}}, false, "tx_x", "off", Grey},
        {{{0x1C9, 0x40}}, false, "tx_k", "ON", Red},
        {{{0x1C9, 0x40}, {0x1C8, 0x40}}, false, "tx_k", "ON/eb", Red},
        {{{0x1C8, 0x40}}, false, "tx_k", "off", Black},
        {{{0x1C9, 0x40}, {0x1F1, 0x40}}, false, "tx_k", "ON", Grey},
        {{{0x1C9, 0x40}, {0x1EE, 0x20}}, false, "tx_k", "ON", Grey},
    };
    test::ExpectFields(StatusFields, cases);
}

TEST(StatusContentTest, ExperimentsBeaconsPowerSafety) {
    const FieldCase cases[] = {
        {{{0x188, 0x02}}, false, "rudak", "ON", Red},
        {{{0x188, 0x02}, {0x1EF, 0x02}}, false, "rudak", "ON", Grey},
        {{{0x188, 0x04}, {0x1EE, 0x10}}, false, "gps", "ON", Grey},
        {{{0x188, 0x08}}, false, "rfexp", "ON", Red},
        {{{0x1EE, 0x02}}, false, "rfexp", "off", Grey},
        {{{0x188, 0x10}, {0x1EE, 0x04}}, false, "cama", "ON", Grey},
        {{{0x188, 0x20}, {0x1EE, 0x08}}, false, "camb", "ON", Grey},
        {{{0x188, 0x80}}, false, "cedex", "ON", Red},
        {{{0x188, 0x80}, {0x1EF, 0x08}}, false, "cedex", "ON", Grey},
        {{{0x188, 0x40}}, false, "ctrl", "ON", Red},
        {{{0x188, 0x40}, {0x1EF, 0x04}}, false, "ctrl", "ON", Grey},
        {{{0x1C9, 0x01}}, false, "ihu2", "ON", Red},
        {{{0x1C9, 0x01}, {0x1EF, 0x01}}, false, "ihu2", "ON", Grey},
        {{{0x194, 0x01}}, false, "gb", "off", Black},
        {{{0x194, 0x01}}, false, "mod", "--", Black},
        {{{0x194, 0x01}}, false, "mb", "--", Form},
        {{{0x194, 0x01}, {0x1C9, 0x01}}, false, "mb", "IHU2", Form},
        {{}, false, "gb", "ON", Red},
        {{}, false, "mod", "car", Red},
        {{}, false, "mb", "GB", Form},
        {{{0x194, 0x32}}, false, "gb", "ON", Red},
        {{{0x194, 0x32}}, false, "mod", "psk/EB", Red},
        {{{0x194, 0x02}}, false, "mod", "fsk", Red},
        {{{0x194, 0x12}}, false, "mod", "psk/cd", Red},
        {{{0x194, 0x08}}, false, "eb", "ON", Red},
        {{{0x1A2, 0x10}}, false, "laser", "ON", Red},
        {{{0x1A2, 0x10}, {0x1EE, 0x01}}, false, "laser", "ON", Grey},
        {{{0x18B, 0x08}}, false, "heat", "ON", Red},
        {{{0x18B, 0x08}, {0x1EF, 0x10}}, false, "heat", "ON", Grey},
        {{{0x18B, 0x04}}, false, "chrg", "ON", Red},
        {{{0x18B, 0x00}}, false, "bat", "M+A", Form},
        {{{0x18B, 0x03}}, false, "bat", "M+A", Form},
        {{{0x18B, 0x01}}, false, "bat", "Main", Form},
        {{{0x18B, 0x02}}, false, "bat", "Aux", Form},
        {{{0x1A0, 0x01}}, false, "mag", "ON", Red},
        {{{0x1A2, 0x08}}, false, "mag", "ON", Red},
        {{{0x1A0, 0x02}}, false, "mag", "off", Black},
        {{}, false, "eflg", "#00", Black},
        {{{0x1ED, 0x1F}}, false, "eflg", "#1F", Red},
        {{{0x1D9, 0xE2}}, false, "serr", "7", Form},
        {{{0x1D9, 0xE2}}, false, "sa", "arm", Red},
        {{{0x1D9, 0xE2}}, false, "epu", "off", Black},
        {{{0x1D9, 0x04}}, false, "epu", "ON", Red},
        {{{0x1D9, 0x01}}, false, "liu", "ON", Red},
        {{}, false, "sa", "safe", Black},
        {{{0x1C6, 0x08}}, false, "instr", "ON", Red},
        {{{0x188, 0x01}}, false, "aru", "ON", Red},
    };
    test::ExpectFields(StatusFields, cases);
}

// The grey override touches only its listed fields.
TEST(StatusContentTest, GreyOverrideLeavesOtherFieldsAlone) {
    const Block514 block = ABlock({{0x1EE, 0xFF}, {0x1EF, 0xFF}, {0x1F0, 0xFF}, {0x1F1, 0xFF}, {0x1CA, 0x01}});
    const std::set<std::string_view> greyed = {"tx_v",  "tx_u",  "tx_s1", "tx_s2", "tx_x", "tx_k",
                                               "ihu2",  "laser", "rudak", "gps",   "rfexp", "cama",
                                               "camb",  "ctrl",  "cedex", "heat"};
    for (const auto& f : StatusFields({block, block, false, false}))
        EXPECT_EQ(f.colour == FieldColour::Grey, greyed.count(f.info.id) == 1) << f.info.id;
}

Block514 HeaderBlock(char kind) {
    Block514 b = ABlock({{0x1A6, 0x34}, {0x1A7, 0x12}, {0x1A5, 200}, {0x1DE, 0x0D}, {0x1DF, 0xAB}});
    const char* line = "A  HI, THIS IS AMSAT OSCAR-40       2003-12-30  14:05:09  #1A2B";
    std::memcpy(b.data(), line, std::strlen(line));
    b[0] = static_cast<std::uint8_t>(kind);
    return b;
}

TEST(StatusContentTest, HeaderFromTheBlockText) {
    const Block514 block = HeaderBlock('A');
    const auto fields = StatusFields({block, block, false, false});
    const std::pair<const char*, const char*> expected[] = {
        {"title", "A  HI, THIS IS AMSAT OSCAR-40"}, {"date", "2003-12-30"}, {"time", "14:05:09"},
        {"amsat_day", "9494"}, {"orbit", "4660"}, {"ma", "200"}, {"cmd", "1A2B"}, {"event", "AB0D"}};
    for (const auto& [id, text] : expected) {
        const auto* f = FindField(fields, id);
        ASSERT_NE(f, nullptr) << id;
        EXPECT_EQ(f->text, text) << id;
        EXPECT_EQ(f->info.group, "Header");
        EXPECT_EQ(f->colour, FieldColour::Form);
    }
}

TEST(StatusContentTest, TitleFollowsLastABlockOrEventNumber) {
    Block514 lastA = HeaderBlock('A');
    lastA[3] = 'Z';
    Block514 e = HeaderBlock('E');
    std::memcpy(e.data() + 135, "00F3", 4);
    std::memcpy(e.data() + 36, "2004-01-02", 10);
    auto fields = StatusFields({e, lastA, true, false});
    EXPECT_EQ(FindField(fields, "title")->text, "Phase 3-D Event #00F3");
    EXPECT_EQ(FindField(fields, "date")->text, "2004-01-02");  // cut from the E block itself
    EXPECT_EQ(FindField(fields, "amsat_day")->text, "9497");
    // Events mode off: the title comes from the last A block, the rest from the display block.
    fields = StatusFields({HeaderBlock('A'), lastA, false, false});
    EXPECT_EQ(FindField(fields, "title")->text, "A  ZI, THIS IS AMSAT OSCAR-40");
}

TEST(StatusContentTest, TextShownAsItStands) {
    Block514 block = HeaderBlock('A');
    block[0] = 0xC1;                      // failed mark on "A"
    std::memcpy(block.data() + 36, "20x3-1?-3?", 10);  // not a date
    block[50] = '\t';                     // a control byte never breaks a line
    block[54] = 0;                        // a 0 byte ends the text, as in a label
    const auto fields = StatusFields({block, block, false, false});
    EXPECT_EQ(FindField(fields, "title")->text, "\xC3\x81  HI, THIS IS AMSAT OSCAR-40");  // U+00C1
    EXPECT_EQ(FindField(fields, "amsat_day")->text, "-2922");  // 1970, 1, 1
    EXPECT_EQ(FindField(fields, "time")->text, "14\xEF\xBF\xBD""05:");
}

TEST(StatusContentTest, PlaceholderAndFixedFacts) {
    const Block514 block = ABlock({});
    const auto fields = PlaceholderFields(StatusFields({block, block, false, false}), kStatusHeaderGroup);
    std::set<std::string_view> ids;
    for (const auto& f : fields) {
        EXPECT_TRUE(ids.insert(f.info.id).second) << f.info.id;
        EXPECT_EQ(f.text, f.info.group == "Header" ? "" : "---") << f.info.id;
    }
    EXPECT_EQ(fields.size(), 8U + 11U + 10U + 6U + 8U + 5U + 3U + 4U + 4U);
    // AGC captions name their address; those that graph hand over the same address.
    for (const auto& f : fields) {
        if (f.info.group != "AGC / ALC" || !f.info.graph) continue;
        EXPECT_EQ(f.info.hint, "Telem. addr = " + TelemetryAddressText(f.info.graph->address)) << f.info.id;
    }
    EXPECT_EQ(FindField(fields, "agc_x_tx")->info.hint, "Telem. addr = #184/388 ");
    EXPECT_FALSE(FindField(fields, "agc_u_tx")->info.graph);
    const GraphRequest r = FindField(fields, "agc_s1_rx")->info.graph->Request();
    EXPECT_EQ(r.address, 0x11D);
    EXPECT_EQ(r.title, "AGC S1 Rx");
    EXPECT_EQ(r.units, "db Sup.");
}

TEST(StatusContentTest, ClockLine) {
    DateTime t;
    t.year = 2003;
    t.month = 12;
    t.day = 30;
    t.hour = 14;
    t.minute = 5;
    t.second = 9;
    t.weekday = 2;
    EXPECT_EQ(ClockLine(true, t), "Current Amsat Day#: 9494");
    EXPECT_EQ(ClockLine(false, t), "2003 Dec 30 [Tue]  14:05:09 (UTC)");
}

TEST(DisplayBlockTest, WindowsDrawOnlyTheirKind) {
    Block514 b{};
    struct Case {
        std::uint8_t kind;
        bool events, draws;
    };
    const Case cases[] = {{'A', false, true}, {0xC1, false, true}, {'E', false, false}, {'E', true, true},
                          {0xC5, true, true}, {'A', true, false},  {0xFF, false, false}, {'D', false, false}};
    for (const auto& c : cases) {
        b[0] = c.kind;
        EXPECT_EQ(WindowDrawsBlock(b, c.events), c.draws) << int(c.kind) << c.events;
    }
    // The raw toggle redraws only a good A block.
    b[0] = 'A';
    EXPECT_TRUE(RawToggleRedraws(b, true, 514));
    EXPECT_TRUE(RawToggleRedraws(b, false, 512));
    EXPECT_FALSE(RawToggleRedraws(b, false, 514));
    b[0] = 0xC1;
    EXPECT_FALSE(RawToggleRedraws(b, true, 514));
    b[0] = 'E';
    EXPECT_FALSE(RawToggleRedraws(b, true, 514));
}

}  // namespace
}  // namespace orv
