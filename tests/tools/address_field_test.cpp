#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "tools/address_field.h"

namespace orv {
namespace {

TEST(AddressField, ParsesHashHexOrDecimal) {
    struct Case {
        const char* text;
        std::optional<long long> value;
    };
    const Case cases[] = {
        {"#1A7", 423}, {"423", 423}, {"#ff", 255}, {"255", 255}, {"#200", 512}, {"-5", -5},
        {"", std::nullopt}, {"#", std::nullopt}, {"1A", std::nullopt}, {"12#", std::nullopt},
        {"#-5", std::nullopt}, {" 12", std::nullopt}, {"#1G", std::nullopt}, {"-", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(ParseAddressText(c.text), c.value) << "\"" << c.text << "\"";
    // Too large for the type: stays a large number, never wraps into 0..511.
    EXPECT_GT(*ParseAddressText("999999999999999999999999"), 511);
    EXPECT_GT(*ParseAddressText("#FFFFFFFFFFFFFFFFFFFFFF"), 511);
}

TEST(AddressField, KeyFilter) {
    constexpr auto kEnd = std::string::npos;
    struct Case {
        const char* text;
        char key;
        std::size_t cursor;
        std::optional<char> result;
    };
    const Case cases[] = {
        {"", '1', kEnd, '1'},
        {"", '#', kEnd, '#'},
        {"", 'A', kEnd, std::nullopt},          // letters only after "#"
        {"", 'a', kEnd, std::nullopt},
        {"#", 'a', kEnd, 'A'},                  // lower case raised
        {"#1", 'F', kEnd, 'F'},
        {"#1", 'G', kEnd, std::nullopt},        // G cannot be typed
        {"#1", 'g', kEnd, std::nullopt},
        {"12", '3', kEnd, '3'},
        {"123", '4', kEnd, std::nullopt},       // decimal: 3 characters
        {"#1A", '7', kEnd, '7'},
        {"#1A7", '0', kEnd, std::nullopt},      // with "#": 4 characters
        {"123", kBackspaceKey, kEnd, kBackspaceKey},
        {"#1A7", kBackspaceKey, kEnd, kBackspaceKey},
        {"", kBackspaceKey, kEnd, kBackspaceKey},
        {"#", '#', kEnd, std::nullopt},         // one "#" only
        {"12", '#', kEnd, std::nullopt},        // "#" only in front
        {"12", '#', 0, '#'},
        {"123", '#', 0, '#'},
        {"#12", '5', 0, std::nullopt},          // nothing in front of "#"
        {"#12", 'c', 1, 'C'},
        {"", ' ', kEnd, std::nullopt},
        {"", '-', kEnd, std::nullopt},
        {"", 'x', kEnd, std::nullopt},
        {" 12", '3', kEnd, std::nullopt},       // the byte dump's leading space counts
        {" #1", 'A', kEnd, 'A'},
        {" #1A", '7', kEnd, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FilterAddressKey(c.text, c.key, c.cursor), c.result)
            << "\"" << c.text << "\" + '" << c.key << "' at " << c.cursor;
}

}  // namespace
}  // namespace orv
