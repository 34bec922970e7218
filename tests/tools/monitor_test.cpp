#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "reception/settings_store.h"
#include "tools/monitor.h"

namespace orv {
namespace {

Block514 Display() {
    Block514 d{};
    d[0] = 0x05;
    d[100] = 0xFF;
    d[101] = 0xFF;
    d[200] = 0x00;
    d[201] = 0x80;  // word 0x8000
    d[423] = 0xA5;
    d[424] = 0x12;
    d[511] = 0x34;
    d[512] = 0x12;  // first CRCC byte: the high byte of the word at 511
    return d;
}

enum class Click { Dec, Hex, Bin, Word, Byte, Signed, Unsigned };

MonitorFormat Clicked(std::vector<Click> clicks) {
    MonitorFormat f;
    for (Click c : clicks) {
        switch (c) {
            case Click::Dec: f.SelectDec(); break;
            case Click::Hex: f.SelectHex(); break;
            case Click::Bin: f.SelectBin(); break;
            case Click::Word: f.SelectWord(); break;
            case Click::Byte: f.SelectByte(); break;
            case Click::Signed: f.SetSigned(true); break;
            case Click::Unsigned: f.SetSigned(false); break;
        }
    }
    return f;
}

TEST(Monitor, ValueTexts) {
    const Block514 d = Display();
    const auto hexByte = Clicked({});
    const auto hexWord = Clicked({Click::Word});
    const auto decByte = Clicked({Click::Dec});
    const auto decWord = Clicked({Click::Dec, Click::Word});
    const auto signedWord = Clicked({Click::Dec, Click::Word, Click::Signed});
    const auto bin = Clicked({Click::Bin});
    struct Case {
        const char* address;
        MonitorFormat format;
        const char* text;
    };
    const Case cases[] = {
        {"#1A7", hexByte, "#A5"},
        {"423", hexByte, "#A5"},
        {" #1a7 ", hexByte, "#A5"},         // trimmed, raised to upper case
        {" 423", decByte, "165"},
        {"0", decByte, " 5"},
        {"0", decWord, "   5"},
        {"0", hexWord, "#0005"},
        {"#200", hexByte, " --- "},
        {"600", decWord, " --- "},
        {"-1", hexByte, " --- "},
        {"99999999999999999999", hexByte, " --- "},
        {"   ", hexByte, "#05"},            // only spaces: address 0
        {"#", hexByte, "#05"},              // not a number: address 0
        {"100", signedWord, "-1"},
        {"100", decWord, "65535"},
        {"100", hexWord, "#FFFF"},
        {"200", signedWord, "-32768"},
        {"423", signedWord, "4773"},        // 0x12A5 stays positive
        {"423", bin, "10100101"},
        {"0", bin, "00000101"},
        {"511", hexWord, "#1234"},
        {"511", decWord, "4660"},
        {"511", hexByte, "#34"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MonitorValueText(c.address, c.format, d), c.text) << "\"" << c.address << "\"";
}

TEST(Monitor, FormatControlRules) {
    struct Case {
        std::vector<Click> clicks;
        MonitorBase base;
        MonitorWidth width;
        bool signedChecked, wordEnabled, signedEnabled;
    };
    using B = MonitorBase;
    using W = MonitorWidth;
    const Case cases[] = {
        {{}, B::Hex, W::Byte, false, true, false},
        {{Click::Signed}, B::Hex, W::Byte, false, true, false},  // disabled: no effect
        {{Click::Dec}, B::Dec, W::Byte, false, true, false},
        {{Click::Dec, Click::Word}, B::Dec, W::Word, false, true, true},
        {{Click::Word, Click::Dec}, B::Dec, W::Word, false, true, true},
        {{Click::Hex, Click::Word}, B::Hex, W::Word, false, true, false},
        {{Click::Dec, Click::Word, Click::Signed, Click::Hex}, B::Hex, W::Word, true, true, false},
        {{Click::Dec, Click::Word, Click::Signed, Click::Hex, Click::Dec}, B::Dec, W::Word, true, true, true},
        {{Click::Dec, Click::Word, Click::Signed, Click::Byte}, B::Dec, W::Byte, false, true, false},
        {{Click::Dec, Click::Word, Click::Signed, Click::Bin}, B::Bin, W::Byte, false, false, false},
        {{Click::Bin, Click::Word}, B::Bin, W::Byte, false, false, false},  // "Word" disabled
        {{Click::Bin, Click::Dec}, B::Dec, W::Byte, false, true, false},
        {{Click::Bin, Click::Hex, Click::Word}, B::Hex, W::Word, false, true, false},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        const MonitorFormat f = Clicked(c.clicks);
        EXPECT_EQ(f.Base(), c.base) << "case " << i;
        EXPECT_EQ(f.Width(), c.width) << "case " << i;
        EXPECT_EQ(f.SignedChecked(), c.signedChecked) << "case " << i;
        EXPECT_EQ(f.WordEnabled(), c.wordEnabled) << "case " << i;
        EXPECT_EQ(f.SignedEnabled(), c.signedEnabled) << "case " << i;
    }
    // Signed words only while "Dec" is the base.
    EXPECT_TRUE(Clicked({Click::Dec, Click::Word, Click::Signed}).ShowsSigned());
    EXPECT_FALSE(Clicked({Click::Dec, Click::Word, Click::Signed, Click::Hex}).ShowsSigned());
    EXPECT_FALSE(Clicked({Click::Dec, Click::Word, Click::Signed, Click::Unsigned}).ShowsSigned());
}

TEST(Monitor, UpdateLeavesEmptyFieldsAlone) {
    const Block514 d = Display();
    MonitorFields addresses{"#1A7", "", "600", "  "};
    MonitorFields values{"a", "kept", "c", "d", "", "", "", "", "", "old"};
    MonitorUpdate(addresses, MonitorFormat{}, d, values);
    const MonitorFields expected{"#A5", "kept", " --- ", "#05", "", "", "", "", "", "old"};
    EXPECT_EQ(values, expected);
}

TEST(Monitor, AddressesSavedAsTyped) {
    MemoryStore store;
    MonitorFields addresses{" #1A7", "423", "", "#"};
    WriteMonitorAddresses(store, addresses);
    EXPECT_EQ(store.Read("Monitor", "Address #1"), " #1A7");
    EXPECT_TRUE(store.Has("Monitor", "Address #10"));
    EXPECT_EQ(ReadMonitorAddresses(store), addresses);
}

}  // namespace
}  // namespace orv
