#include <gtest/gtest.h>

#include "reception/settings_store.h"
#include "reception/startup_settings.h"

namespace orv {
namespace {

TEST(StartupSettings, EmptyStoreIsAFirstRunWithDefaults) {
    MemoryStore store;
    const StartupSettings s = ReadStartupSettings(store);
    EXPECT_TRUE(s.firstRun);
    EXPECT_EQ(s.modemType, ModemType::Bytes514);
    EXPECT_EQ(BlockLength(s.modemType), 514);
    EXPECT_EQ(s.baudRate, 1200);
    EXPECT_TRUE(s.utcRule.autoTime);
    EXPECT_EQ(s.eventBufferSize, 16);
    EXPECT_FALSE(s.logOnStart);
    EXPECT_FALSE(s.bootServer);
}

TEST(StartupSettings, StoredFormsAreReadExactly) {
    struct Case {
        const char* name;
        const char* value;
        std::function<bool(const StartupSettings&)> check;
    };
    const std::vector<Case> cases = {
        {"Log on Start", "yes", [](auto& s) { return s.logOnStart; }},
        {"Log on Start", "Yes", [](auto& s) { return !s.logOnStart; }},
        {"Modem Type", "512", [](auto& s) { return s.modemType == ModemType::Bytes512; }},
        {"Modem Type", "ADC", [](auto& s) { return s.modemType == ModemType::Adc && BlockLength(s.modemType) == 514; }},
        {"Baud Rate", "fast", [](auto& s) { return s.baudRate == 1200; }},
        {"Baud Rate", "14400", [](auto& s) { return s.baudRate == 14400; }},
        {"Auto Time", "TRUE", [](auto& s) { return s.utcRule.autoTime; }},
        {"Auto Time", "", [](auto& s) { return s.utcRule.autoTime; }},
        {"Boot Server", "1", [](auto& s) { return s.bootServer; }},
        {"Boot Server", "yes", [](auto& s) { return !s.bootServer; }},
        {"Event Buffer Size", "64", [](auto& s) { return s.eventBufferSize == 64; }},
        {"Event Buffer Size", "lots", [](auto& s) { return s.eventBufferSize == 16; }},
        {"Com Port No.", "COM3", [](auto& s) { return s.comPort == 0 && !s.firstRun; }},
    };
    for (const auto& c : cases) {
        MemoryStore store;
        store.Write(kStartupKey, "Log on Start", "no");
        store.Write(kStartupKey, "Com Port No.", "1");
        store.Write(kStartupKey, "Default Directory", "/tmp/orv");
        store.Write(kStartupKey, c.name, c.value);
        EXPECT_TRUE(c.check(ReadStartupSettings(store))) << c.name << " = \"" << c.value << "\"";
    }
}

TEST(StartupSettings, LogFecIsReadOnlyForAdcAndTimeOffOnlyWhenManual) {
    MemoryStore store;
    store.Write(kStartupKey, "Log FEC", "true");
    store.Write(kStartupKey, "TimeOff", "3.5");
    store.Write(kStartupKey, "Modem Type", "512");
    EXPECT_FALSE(ReadStartupSettings(store).logFec);
    store.Write(kStartupKey, "Modem Type", "ADC");
    EXPECT_TRUE(ReadStartupSettings(store).logFec);
    EXPECT_EQ(ReadStartupSettings(store).utcRule.timeOffHours, 0.0F);
    store.Write(kStartupKey, "Auto Time", "false");
    EXPECT_EQ(ReadStartupSettings(store).utcRule.timeOffHours, 3.5F);
    store.Write(kStartupKey, "TimeOff", "3,5");  // not a number with "." as separator
    EXPECT_EQ(ReadStartupSettings(store).utcRule.timeOffHours, 0.0F);
}

TEST(FormPositions, TwipsWithTwoDigitsAndDefaults) {
    MemoryStore store;
    EXPECT_EQ(ReadFormPosition(store, 1, 50, 50).top, 3);
    WriteFormPosition(store, 5, {100, 0});
    EXPECT_EQ(store.Read(kFormPositionsKey, "Form5.Top"), "1500");
    EXPECT_EQ(store.Read(kFormPositionsKey, "Form5.Left"), "00");
    const FormPosition p = ReadFormPosition(store, 5, 50, 50);
    EXPECT_EQ(p.top, 100);
    EXPECT_EQ(p.left, 0);
    store.Write(kFormPositionsKey, "Form5.Top", "garbage");
    store.Write(kFormPositionsKey, "Form5.Left", "44");
    const FormPosition q = ReadFormPosition(store, 5, 750, 50);
    EXPECT_EQ(q.top, 50);
    EXPECT_EQ(q.left, 2);  // truncated
    EXPECT_EQ(TwoDigitText(-15), "-15");
}

}  // namespace
}  // namespace orv
