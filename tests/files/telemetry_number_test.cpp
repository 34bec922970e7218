// The telemetry number parser and the key filters of the entry fields.
#include <gtest/gtest.h>

#include <optional>

#include "files/telemetry_number.h"

namespace orv {
namespace {

TEST(ParseTelemetryNumber, HexWithHashOrDecimal) {
    struct Case {
        const char* text;
        long long value;
    } cases[] = {
        {"#1A7", 423}, {"423", 423}, {"#FF", 255}, {"255", 255}, {"#1a7", 423}, {" 448 ", 448}, {"#1C0", 448},
        {"", -1},      {"#", -1},    {"#G1", -1},  {"12a", -1},  {"-5", -1},    {"4 2", -1},    {"99999999999999999999999", 9223372036854775807LL},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseTelemetryNumber(c.text), c.value) << "\"" << c.text << "\"";
}

TEST(ParseBlockNumber, DigitsOnly) {
    EXPECT_EQ(ParseBlockNumber("250"), 250U);
    EXPECT_EQ(ParseBlockNumber(" 7 "), 7U);
    EXPECT_EQ(ParseBlockNumber("0"), 0U);
    EXPECT_EQ(ParseBlockNumber(""), std::nullopt);
    EXPECT_EQ(ParseBlockNumber("#10"), std::nullopt);
    EXPECT_EQ(ParseBlockNumber("1e3"), std::nullopt);
}

TEST(KeyFilters, MaskAndRangeFields) {
    // Address fields use the one address key filter of the Monitor (tools/address_field.h).
    struct Case {
        char key;
        const char* text;
        std::optional<char> taken;
    } cases[] = {
        {'f', "#", 'F'},             // lower-case hex turned to upper case after "#"
        {'a', "1", std::nullopt},    // hex digits only once the text holds "#"
        {'F', "#F", 'F'},
        {'F', "#FF", std::nullopt},  // masks: 3 characters at most
        {'5', "25", '5'},
        {'5', "255", std::nullopt},
        {'x', "", std::nullopt},
        {'\b', "#FF", '\b'},        // backspace always
    };
    for (const auto& c : cases) EXPECT_EQ(MaskKey(c.key, c.text), c.taken) << c.key << " after \"" << c.text << "\"";
    EXPECT_EQ(ExportRangeKey('#'), '#');
    EXPECT_EQ(ExportRangeKey('A'), std::nullopt);
    EXPECT_EQ(DigitKey('#'), std::nullopt);
    EXPECT_EQ(DigitKey('\b'), '\b');
    EXPECT_EQ(DigitKey('9'), '9');
}

}  // namespace
}  // namespace orv
