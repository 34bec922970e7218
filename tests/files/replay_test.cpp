// Replay: loading by mapping, the damaged-length message, stepping with unsigned rules, "Go",
// and what a replayed block reaches.
#include <gtest/gtest.h>

#include "files/replay.h"
#include "fixture.h"

namespace orv {
namespace {

using test::MakeABlock;
using test::MakeEBlock;
using test::StandardBlock;
using test::TempDir;

TEST(ReplayStepping, UnsignedRulesOnASevenBlockFile) {
    EXPECT_EQ(StepForward(1, 5, 7), 6U);
    EXPECT_EQ(StepForward(6, 5, 7), 7U);
    EXPECT_EQ(StepBackFive(7), 2U);
    EXPECT_EQ(StepBackFive(5), 1U);
    EXPECT_EQ(StepBackFive(6), 1U);
    EXPECT_EQ(StepBackOne(1), 1U);
    EXPECT_EQ(StepBackOne(2), 1U);
    EXPECT_EQ(StepForward(7, 1, 7), 7U);
    // Before any file is loaded the number may wrap; nothing is shown then.
    EXPECT_EQ(StepBackOne(0), 4294967295U);
    EXPECT_EQ(StepForward(4294967295U, 1, 0), 0U);
}

TEST(ReplayStepping, GoField) {
    struct Case {
        const char* field;
        std::uint32_t block;
        std::optional<std::string> shown;
    } cases[] = {
        {"", 1, std::nullopt},       {"0", 1, "1"},       {"9999", 250, "250"},
        {"17", 17, std::nullopt},    {"250", 250, std::nullopt},
        {"123456789012345678901234567890", 250, "250"},  // too long for any counter: the end
        {"x1", 1, std::nullopt},     // pasted text that is not a number
    };
    for (const auto& c : cases) {
        const GoTarget t = GoToBlock(c.field, 250);
        EXPECT_EQ(t.block, c.block) << c.field;
        EXPECT_EQ(t.fieldText, c.shown) << c.field;
    }
}

TEST(ReplaySession, DamagedLengthLoadsTheWholeRecords) {
    TempDir dir;
    auto bytes = test::Concat({MakeABlock(), StandardBlock('D')});
    bytes.push_back(0x45);  // 1,030 bytes: two records and a stray tail
    bytes.resize(1030, 0x20);
    test::WriteBytes(dir / "x.tlm", bytes);
    ReplaySession replay;
    const auto result = replay.Load(dir / "x.tlm");
    EXPECT_TRUE(result.loaded);
    EXPECT_EQ(result.message, "File error!\nFile altered or incorrect length");
    EXPECT_EQ(replay.CounterText(), "1 / 2");
    // The byte after address 511 of the last whole record is the first byte of the tail.
    EXPECT_EQ(replay.Image().NextByte(1, 511), 0x45);
}

TEST(ReplaySession, ZeroByteAfterTheLastRecord) {
    TempDir dir;
    std::vector<Block512> blocks(8, MakeABlock());  // 4096 bytes: the file ends on a page boundary
    for (auto& b : blocks) b[511] = 0xEE;
    test::WriteBytes(dir / "p.tlm", test::Concat(blocks));
    ReplaySession replay;
    ASSERT_TRUE(replay.Load(dir / "p.tlm").message.empty());
    EXPECT_EQ(replay.Image().NextByte(6, 511), 'A');
    EXPECT_EQ(replay.Image().NextByte(7, 511), 0);
    EXPECT_EQ(replay.Image().NextByte(7, 510), 0xEE);
}

TEST(ReplaySession, UnreadableFileCountsAsDamaged) {
    TempDir dir;
    ReplaySession replay;
    const auto result = replay.Load(dir / "missing.tlm");
    EXPECT_FALSE(result.loaded);
    EXPECT_EQ(result.message, "File error!\nFile altered or incorrect length");
    EXPECT_FALSE(result.detail.empty());
    EXPECT_EQ(replay.Total(), 0U);
}

TEST(ReplaySession, DroppedFileNeedsTlm) {
    EXPECT_TRUE(AcceptsDroppedReplayFile("X.TLM"));
    EXPECT_TRUE(AcceptsDroppedReplayFile("/a/b/T030415.tlm"));
    EXPECT_FALSE(AcceptsDroppedReplayFile("X.raw"));
    EXPECT_FALSE(AcceptsDroppedReplayFile("X.tlr"));
}

struct RecordingHooks : ReplayHooks {
    std::vector<std::string> calls;
    void ShowCounter(std::string_view text) override { calls.push_back("counter " + std::string(text)); }
    void ShowTextBlock(std::span<const std::uint8_t, kTelemetryBytes> b) override {
        calls.push_back(std::string("text ") + static_cast<char>(b[0] & 0x7F));
    }
    void UpdateMonitor() override { calls.push_back("monitor"); }
    void EnableEvents() override { calls.push_back("events"); }
    void DispatchBlock() override { calls.push_back("dispatch"); }
};

TEST(ReplaySession, WhatEachKindOfBlockReaches) {
    TempDir dir;
    Block512 failedA = MakeABlock();
    failedA[0] |= 0x80;
    test::WriteBytes(dir / "r.tlm", test::Concat({MakeABlock(), MakeEBlock("0005"), StandardBlock('K'), failedA}));
    ReplaySession replay;
    ASSERT_TRUE(replay.Load(dir / "r.tlm").loaded);
    StationState station;
    station.stores.current[512] = 0x12;  // the live block's CRCC bytes stay as they were
    struct Step {
        std::uint32_t block;
        bool eventsMode;
        std::vector<std::string> calls;
    } steps[] = {
        {1, false, {"counter 1 / 4", "text A", "monitor", "dispatch"}},
        {2, false, {"counter 2 / 4", "text E", "monitor", "events"}},
        {2, true, {"counter 2 / 4", "text E", "monitor", "events", "dispatch"}},
        {1, true, {"counter 1 / 4", "text A", "monitor"}},
        {3, false, {"counter 3 / 4", "text K", "monitor"}},
        {4, false, {"counter 4 / 4", "text A", "monitor", "dispatch"}},  // the failed mark does not stop replay
    };
    for (const auto& step : steps) {
        RecordingHooks hooks;
        station.flags.eventsMode = step.eventsMode;
        replay.Go(std::to_string(step.block));
        replay.ShowReplayBlock(station, hooks);
        EXPECT_EQ(hooks.calls, step.calls) << "block " << step.block;
    }
    EXPECT_EQ(station.stores.current[0], 0xC1);
    EXPECT_EQ(station.stores.current[512], 0x12);
    EXPECT_EQ(station.stores.display[0], 0xC1);
    EXPECT_EQ(station.stores.lastA[0], 0xC1);
    EXPECT_EQ(station.stores.lastE[0], 'E');
    EXPECT_EQ(station.stores.lastE[139], 0);
    EXPECT_EQ(station.stores.lastE[138], '5');
}

TEST(ReplaySession, NothingShownWithoutAFile) {
    ReplaySession replay;
    StationState station;
    RecordingHooks hooks;
    replay.ForwardOne();
    replay.ShowReplayBlock(station, hooks);
    EXPECT_TRUE(hooks.calls.empty());
}

}  // namespace
}  // namespace orv
