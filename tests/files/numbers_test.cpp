// Number texts and the telemetry number parser with the key filters of the entry fields.
#include <gtest/gtest.h>

#include <clocale>
#include <optional>

#include "files/number_format.h"
#include "files/telemetry_number.h"

namespace orv {
namespace {

TEST(FixedText, RoundsToSignificantDigitsAndDecimals) {
    struct Case {
        long double value;
        int precision, decimals;
        const char* text;
    } cases[] = {
        {117, 6, 1, "117.0"},
        {23456, 6, 1, "23456.0"},
        {-69.72000122L, 6, 1, "-69.7"},
        {98.353F, 6, 1, "98.4"},
        {98.35F, 6, 1, "98.3"},            // the float is 98.3499984...: rounding sees the exact value
        {-23.25, 6, 1, "-23.3"},           // an exact half goes away from zero
        {-23.75, 6, 1, "-23.8"},
        {0.05F, 6, 1, "0.1"},              // the float is a hair above 0.05
        {-0.04, 6, 1, "0.0"},              // no minus sign on zero
        {0, 6, 1, "0.0"},
        {123456.7, 6, 1, "123457.0"},      // 6 significant digits leave no decimal
        {99999.96, 6, 1, "100000.0"},
        {1234567, 6, 1, "1.23457E6"},      // integer part longer than the precision
        {999999.7, 6, 1, "1E6"},           // rounding carries into a seventh digit
        {1204.520833333L, 11, 5, "1204.52083"},
        {9235.015625L, 11, 5, "9235.01563"},   // 00:22:30 is exactly 1/64 day: the half goes up
        {-2921.984375L, 11, 5, "-2921.98438"},
        {12.0, 4, 1, "12.0"},
        {202, 4, 1, "202.0"},
        {65535, 4, 1, "6.554E4"},
        {1234.56, 4, 1, "1235.0"},
        {99.96, 4, 1, "100.0"},
        {-1e-7, 4, 1, "0.0"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FixedText(c.value, c.precision, c.decimals), c.text)
            << static_cast<double>(c.value) << " " << c.precision << " " << c.decimals;
    }
}

TEST(FixedText, DecimalPointWhateverTheLocale) {
    const char* old = std::setlocale(LC_ALL, nullptr);
    const std::string saved = old ? old : "C";
    // A comma locale if the system has one; the text must not change either way.
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) std::setlocale(LC_ALL, "fr_FR.UTF-8");
    EXPECT_EQ(FixedText(1204.5208333L, 11, 5), "1204.52083");
    EXPECT_EQ(FixedText(-3.25, 6, 1), "-3.3");
    EXPECT_EQ(FixedText(1234567, 6, 1), "1.23457E6");
    std::setlocale(LC_ALL, saved.c_str());
}

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

TEST(KeyFilters, AddressAndMaskFields) {
    struct Case {
        bool mask;
        char key;
        const char* text;
        std::optional<char> taken;
    } cases[] = {
        {false, '4', "", '4'},
        {false, 'a', "#1", 'A'},           // lower-case hex turned to upper case after "#"
        {false, 'a', "1", std::nullopt},   // hex digits only once the text holds "#"
        {false, '7', "#1A", '7'},          // 4 characters with "#"
        {false, '7', "#1A7", std::nullopt},
        {false, '7', "423", std::nullopt}, // 3 without
        {false, 'x', "", std::nullopt},
        {false, '\b', "#1A7", '\b'},       // backspace always
        {true, 'F', "#F", 'F'},
        {true, 'F', "#FF", std::nullopt},  // masks: 3 characters at most
        {true, '5', "25", '5'},
        {true, '5', "255", std::nullopt},
    };
    for (const auto& c : cases) {
        const auto taken = c.mask ? MaskKey(c.key, c.text) : AddressKey(c.key, c.text);
        EXPECT_EQ(taken, c.taken) << (c.mask ? "mask " : "address ") << c.key << " after \"" << c.text << "\"";
    }
    EXPECT_EQ(ExportRangeKey('#'), '#');
    EXPECT_EQ(ExportRangeKey('A'), std::nullopt);
    EXPECT_EQ(DigitKey('#'), std::nullopt);
    EXPECT_EQ(DigitKey('\b'), '\b');
    EXPECT_EQ(DigitKey('9'), '9');
}

}  // namespace
}  // namespace orv
