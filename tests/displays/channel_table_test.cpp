// The channel table: every row is one field of one window, which names, hints, graphs and
// reads the row's address; the hints are derived from the address.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "displays/channel_table.h"
#include "displays/display_listing.h"
#include "field_cases.h"

namespace orv {
namespace {

struct WindowField {
    std::string_view window;
    DisplayField field;
};

// The fields of the four windows with fields, raw mode.
std::vector<WindowField> AllFields(const Block514& block) {
    std::vector<WindowField> out;
    for (const auto& w : DisplayWindows()) {
        if (w.fields == nullptr) continue;
        for (auto& f : w.fields({block, block, false, true})) out.push_back({w.name, std::move(f)});
    }
    return out;
}

const DisplayField* FieldOf(const std::vector<WindowField>& fields, std::string_view window, std::string_view id) {
    for (const auto& f : fields)
        if (f.window == window && f.field.info.id == id) return &f.field;
    return nullptr;
}

TEST(ChannelTableTest, HintsAreDerivedFromTheAddress) {
    const std::pair<int, const char*> cases[] = {
        {0x10B, "Telem. addr = #10B/267"},
        {0x181, "Telem. addr =  #181/385"},
        {0x190, "Telem. addr =   #190/400"},
        {0x184, "Telem. addr = #184/388 "},
        {0x1C0, "Telem. addr =  #1C0/448 - #1C1/449"},
        {0x1A6, "Telem. addr = #1A7/423 & #1A6/422"},
    };
    for (const auto& [address, hint] : cases) {
        const TelemetryChannel* c = FindTelemetryChannel(address);
        ASSERT_NE(c, nullptr) << hint;
        EXPECT_EQ(ChannelHint(*c), hint);
    }
    for (const auto& c : ChannelTable())
        EXPECT_EQ(c.hint.form == HintAddress::WordLowFirst, IsWheelWord(c.address)) << c.id;
    EXPECT_EQ(FindTelemetryChannel(0x1CA), nullptr);  // a state byte: its fields name bits
    EXPECT_THROW(ChannelField(0x1CA, "Group"), std::logic_error);
}

// Each row is exactly one field, with the row's id, caption, hint and graph, and the field's
// text follows the byte at the row's address: the address the hint names is the one read.
TEST(ChannelTableTest, EachRowIsOneFieldThatReadsItsAddress) {
    int previous = -1;
    for (const auto& c : ChannelTable()) {
        EXPECT_LT(previous, c.address) << c.id;  // address order, each address once
        previous = c.address;
        const auto zero = AllFields(test::ABlock({{c.address, 0x00}}));
        const auto set = AllFields(test::ABlock({{c.address, 0xAA}}));
        std::vector<const WindowField*> matches;
        for (const auto& f : zero)
            if (f.field.info.id == c.id && f.field.info.hint == ChannelHint(c)) matches.push_back(&f);
        ASSERT_EQ(matches.size(), 1U) << c.id;
        const DisplayField& field = matches[0]->field;
        EXPECT_EQ(field.info.caption, c.caption) << c.id;
        if (c.title.empty()) {
            EXPECT_FALSE(field.info.graph) << c.id;
        } else {
            ASSERT_TRUE(field.info.graph) << c.id;
            EXPECT_EQ(field.info.graph->address, c.address) << c.id;
            EXPECT_EQ(field.info.graph->title, c.title) << c.id;
            EXPECT_EQ(field.info.graph->units, c.units) << c.id;
        }
        const DisplayField* changed = FieldOf(set, matches[0]->window, c.id);
        ASSERT_NE(changed, nullptr) << c.id;
        EXPECT_NE(changed->text, field.text) << c.id;
    }
}

// The other way round: a field that graphs a channel is that channel's row.
TEST(ChannelTableTest, EveryGraphedFieldIsARow) {
    for (const auto& [window, f] : AllFields(test::ABlock({}))) {
        if (!f.info.graph) continue;
        const TelemetryChannel* c = FindTelemetryChannel(f.info.graph->address);
        ASSERT_NE(c, nullptr) << window << " " << f.info.id;
        EXPECT_EQ(c->id, f.info.id) << window;
        EXPECT_EQ(ChannelHint(*c), f.info.hint) << window << " " << f.info.id;
    }
}

}  // namespace
}  // namespace orv
