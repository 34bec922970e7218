// The telemetry logger: names, the blocks it takes as a sink of the reception pipeline (the log
// decision, the stamp), failures, the Event Grid, and a writer killed in the middle of its work.
#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "files/event_grid.h"
#include "files/log_file.h"
#include "files/telemetry_logger.h"
#include "fixture.h"
#include "reception/clock.h"
#include "pipeline/reception_pipeline.h"
#include "reception/crcc.h"

namespace orv {
namespace {

using test::MakeABlock;
using test::MakeEBlock;
using test::StandardBlock;
using test::TempDir;

// 2003-04-15 23:30:00 UTC.
constexpr std::int64_t kApril15Late = 1050449400;

TEST(LogFileName, PrefixDateAndExtension) {
    EXPECT_EQ(LogFileName(false, false, 2003, 4, 15), "T030415.raw");
    EXPECT_EQ(LogFileName(true, false, 2003, 4, 15), "A030415.raw");
    EXPECT_EQ(LogFileName(false, true, 2003, 12, 1), "T031201.tlm");
    EXPECT_EQ(LogFileName(true, true, 2000, 1, 9), "A000109.tlm");
}

TEST(TelemetryLogger, NameFollowsTheUtcRuleAndTheMenus) {
    StationState station;
    station.workingDataDirectory = "/data";
    ManualClock clock(kApril15Late, 2 * 3600);  // local time is already 16 April
    TelemetryLogger logger(station, clock);
    EXPECT_EQ(logger.UpdateLogFileName(), "T030415.raw");
    EXPECT_EQ(logger.NameFieldText(), " T030415.raw");
    EXPECT_EQ(logger.LogPath(), std::filesystem::path("/data") / "telemetry" / "T030415.raw");
    // Manual rule: UTC = local - TimeOff. TimeOff 0 takes the local date.
    station.settings.utcRule = UtcRule{false, 0.0F};
    EXPECT_EQ(logger.UpdateLogFileName(), "T030416.raw");
    station.settings.utcRule = UtcRule{};
    logger.LogABlocksOnly();
    EXPECT_EQ(logger.FileName(), "A030415.raw");
    logger.UseCrcc();
    EXPECT_EQ(logger.FileName(), "A030415.tlm");
    logger.LogAllBlocks();
    logger.IgnoreCrcc();
    EXPECT_EQ(logger.FileName(), "T030415.raw");
    EXPECT_TRUE(logger.UseCrccAvailable());
    station.SetModemType(ModemType::Bytes512);
    EXPECT_FALSE(logger.UseCrccAvailable());
}

// A station whose reception pipeline logs through a TelemetryLogger, the way the program wires them.
struct LoggingStation {
    TempDir dir;
    StationState station;
    ManualClock clock{kApril15Late};
    TelemetryLogger logger{station, clock};
    ReceptionPipeline pipeline{station, clock};
    std::vector<LogAppendResult> appends;

    LoggingStation() {
        station.workingDataDirectory = dir.path().string();
        std::filesystem::create_directories(dir.path() / "telemetry");
        logger.SetSyncEachRecord(false);
        logger.SetAppendHandler([this](const LogAppendResult& result) { appends.push_back(result); });
        pipeline.AddSink(logger);
    }
    // One block as the modem delivers it, after a pause.
    void Receive(const Block512& block, bool goodCrcc) {
        clock.Advance(5);
        if (station.receiver.blockLength == 512) {
            pipeline.SerialBytes(block);
            return;
        }
        pipeline.SerialBytes(test::OnTheWire(block, goodCrcc));
    }
    std::vector<std::uint8_t> File() const { return test::ReadBytes(logger.LogPath()); }
};

TEST(TelemetryLogger, FailedBlockCarriesMarkAndStampUnderRaw) {
    LoggingStation s;
    s.logger.StartLogging();
    Block512 a = MakeABlock();
    s.Receive(a, false);
    const auto file = s.File();
    ASSERT_EQ(file.size(), 512U);
    EXPECT_EQ(file[0], 0xC1);
    EXPECT_EQ(std::string(file.begin() + 466, file.begin() + 469), "P3D");
    const std::uint16_t sent = Crcc(a) ^ test::kCrccDamage;
    EXPECT_EQ(file[469], sent >> 8);
    EXPECT_EQ(file[470], sent & 0xFF);
    EXPECT_EQ(s.appends.back().countText, "1");
}

TEST(TelemetryLogger, UseCrccDropsFailedBlocksOnly514) {
    LoggingStation s;
    s.logger.UseCrcc();
    s.logger.StartLogging();
    EXPECT_EQ(s.logger.FileName(), "T030415.tlm");
    s.Receive(MakeABlock(), false);
    EXPECT_FALSE(std::filesystem::exists(s.logger.LogPath()));
    s.Receive(MakeABlock(), true);
    EXPECT_EQ(s.File().size(), 512U);
}

TEST(TelemetryLogger, Modem512MarksBothBytesAndLogsEverything) {
    LoggingStation s;
    s.station.SetModemType(ModemType::Bytes512);
    s.logger.StartLogging();
    s.Receive(MakeABlock(), true);
    s.Receive(StandardBlock('K'), true);
    const auto file = s.File();
    ASSERT_EQ(file.size(), 1024U);
    for (std::size_t r = 0; r < 2; ++r) {
        EXPECT_EQ(file[r * 512] & 0x80, 0x80);
        EXPECT_EQ(file[r * 512 + 1] & 0x80, 0x80);
    }
}

TEST(TelemetryLogger, StopAndStartContinuesTheFileAndCountsEarlierBlocks) {
    LoggingStation s;
    s.logger.StartLogging();
    s.Receive(MakeABlock(), true);
    s.Receive(StandardBlock('D'), true);
    s.logger.StopLogging();
    s.Receive(MakeABlock(), true);  // not logged
    s.logger.StartLogging();
    EXPECT_EQ(s.logger.CountText(), "---");
    s.Receive(MakeABlock(), true);
    EXPECT_EQ(s.File().size(), 3 * 512U);
    EXPECT_EQ(s.logger.CountText(), "3");
}

// A station left running over midnight: with the date followed, the first block after 00:00 UTC
// starts the next day's file under the same naming rule, and nothing of either day is lost;
// without it (the Logging window) the name stays.
TEST(TelemetryLogger, FollowingTheDateGoesOnInTheNextDaysFileAtMidnight) {
    for (const bool follow : {true, false}) {
        SCOPED_TRACE(follow ? "following the date" : "window rule");
        LoggingStation s;
        s.logger.UseCrcc();
        s.logger.SetFollowDate(follow);
        s.logger.StartLogging();
        s.clock.Set(kApril15Late + 1780);  // 23:59:40; each block comes 5 s later
        for (int k = 0; k < 8; ++k) s.Receive(MakeABlock(), true);  // 23:59:45 .. 00:00:20
        const auto telemetry = s.dir.path() / "telemetry";
        const auto day1 = test::ReadBytes(telemetry / "T030415.tlm");
        if (follow) {
            EXPECT_EQ(day1.size(), 3 * 512U);  // 23:59:45, :50, :55
            EXPECT_EQ(test::ReadBytes(telemetry / "T030416.tlm").size(), 5 * 512U);
            EXPECT_EQ(s.logger.FileName(), "T030416.tlm");
            EXPECT_TRUE(s.appends[3].newFile);
            EXPECT_FALSE(s.appends[4].newFile);
        } else {
            EXPECT_EQ(day1.size(), 8 * 512U);
            EXPECT_FALSE(std::filesystem::exists(telemetry / "T030416.tlm"));
        }
    }
}

TEST(TelemetryLogger, TheLogDecisionFollowsTheCrccAndBlockRules) {
    struct Case {
        bool good, useCrcc, aOnly;
        char kind;
        bool logged;
    };
    const Case cases[] = {
        {true, true, false, 'K', true},   {false, true, false, 'A', false}, {false, false, false, 'A', true},
        {true, false, true, 'K', false},  {true, false, true, 'A', true},
    };
    for (const Case& c : cases) {
        LoggingStation s;
        if (c.useCrcc) s.logger.UseCrcc();
        if (c.aOnly) s.logger.LogABlocksOnly();
        s.logger.StartLogging();
        s.Receive(c.kind == 'A' ? MakeABlock() : StandardBlock(c.kind), c.good);
        EXPECT_EQ(s.appends.size(), c.logged ? 1U : 0U) << c.kind << c.good << c.useCrcc << c.aOnly;
    }
}

TEST(TelemetryLogger, EventNumberFromLoggedStandardEBlocks) {
    LoggingStation s;
    s.Receive(MakeEBlock("00A7"), true);  // not logging: not taken
    s.logger.StartLogging();
    s.Receive(MakeEBlock("00A5"), true);
    EXPECT_EQ(s.logger.EventNumber(), 0xA5);
}

TEST(TelemetryLogger, AOnlySkipsOtherKindsAndLeavesTheGrid) {
    LoggingStation s;
    s.logger.LogABlocksOnly();
    s.logger.StartLogging();
    s.Receive(MakeEBlock("0013"), true);
    s.Receive(StandardBlock('K'), true);
    s.Receive(MakeABlock(), true);
    EXPECT_EQ(s.File().size(), 512U);
    for (int slot = 0; slot < 32; ++slot) EXPECT_FALSE(s.logger.Grid().CapturedOk(slot));
}

TEST(TelemetryLogger, WriteFailureIsReportedWithTheLostCount) {
    LoggingStation s;
    s.station.workingDataDirectory = (s.dir.path() / "no such folder").string();
    s.logger.StartLogging();
    s.Receive(MakeEBlock("0003"), true);
    s.Receive(MakeABlock(), true);
    ASSERT_EQ(s.appends.size(), 2U);
    EXPECT_FALSE(s.appends[1].written);
    EXPECT_FALSE(s.appends[1].error.empty());
    EXPECT_EQ(s.appends[1].countText, "0");
    EXPECT_EQ(s.logger.LostBlocks(), 2U);
    EXPECT_NE(s.logger.FailureText().find("2 blocks not logged"), std::string::npos) << s.logger.FailureText();
    // A block that is not in the file does not mark its slot as captured.
    EXPECT_FALSE(s.logger.Grid().CapturedOk(3));
    // Starting again clears the failure.
    s.station.workingDataDirectory = s.dir.path().string();
    s.logger.StartLogging();
    s.Receive(MakeABlock(), true);
    EXPECT_EQ(s.logger.FailureText(), "");
}

TEST(AppendRecordToFile, CutsATornTailBeforeAppending) {
    TempDir dir;
    const auto path = dir / "T030415.raw";
    std::vector<std::uint8_t> bytes = test::Concat({MakeABlock()});
    bytes.resize(512 + 100, 0x33);  // a partial record left by a crash
    test::WriteBytes(path, bytes);
    const Block512 d = StandardBlock('D');
    const AppendOutcome out = AppendRecordToFile(path, Record(d), false);
    EXPECT_TRUE(out.written);
    EXPECT_EQ(out.strayBytes, 100U);
    EXPECT_EQ(out.fileLength, 1024U);
    const auto file = test::ReadBytes(path);
    EXPECT_EQ(file[512], 'D');
}

TEST(EventBufferSize, AnswersAreRoundedAndKeptInRange) {
    struct Case {
        const char* answer;
        int n;
    } cases[] = {{"20", 16}, {"5", 8}, {"40", 32}, {"abc", 16}, {"24", 24}, {"", 16}, {"-9", 8}, {" 32 ", 32}};
    for (const auto& c : cases) EXPECT_EQ(EventBufferSizeFromAnswer(c.answer), c.n) << c.answer;
}

TEST(EventBufferSize, ChangeClearsTheMarksAndIsStored) {
    StationState station;
    ManualClock clock;
    TelemetryLogger logger(station, clock);
    logger.Grid().RecordEventBlock(true, 0, 3);
    logger.Grid().RecordEventBlock(false, 0, 4);
    MemoryStore store;
    EXPECT_EQ(logger.SetEventBufferSize("16", store), 16);
    EXPECT_TRUE(logger.Grid().CapturedOk(3));  // unchanged N keeps the marks
    EXPECT_EQ(logger.SetEventBufferSize("abc", store), 16);
    EXPECT_EQ(logger.SetEventBufferSize("30", store), 24);
    EXPECT_FALSE(logger.Grid().CapturedOk(3));
    EXPECT_FALSE(logger.Grid().CapturedBad(4));
    EXPECT_EQ(store.Read(kStartupKey, "Event Buffer Size"), "24");
}

TEST(EventGrid, MarksFollowPointerAndEventNumbers) {
    EventGrid grid(16);
    grid.RecordEventBlock(true, 0x0012, 0x0013);   // slots 1..2 passed, 3 captured
    EXPECT_TRUE(grid.CapturedOk(3));
    EXPECT_EQ(grid.GridPointer(), 0x0012);
    grid.RecordEventBlock(false, 0x0020, 0x0005);  // bad CRCC: the pointer is not followed
    EXPECT_TRUE(grid.CapturedBad(5));
    EXPECT_EQ(grid.GridPointer(), 0x0012);
    grid.RecordEventBlock(true, 0x0015, 0x0016);   // 0x13..0x15 forgotten: slots 3, 4, 5
    EXPECT_FALSE(grid.CapturedOk(3));
    EXPECT_FALSE(grid.CapturedBad(5));
    EXPECT_TRUE(grid.CapturedOk(6));
    grid.RecordEventBlock(true, 0x0014, 0x0001);   // a pointer behind the grid wraps round 65536
    EXPECT_EQ(grid.GridPointer(), 0x0014);
    for (int slot = 0; slot < 16; ++slot) EXPECT_EQ(grid.CapturedOk(slot), slot == 1) << slot;
    grid.RecordEventBlock(false, 0, 7);
    grid.ClearCapturedOk();
    EXPECT_FALSE(grid.CapturedOk(1));
    EXPECT_TRUE(grid.CapturedBad(7));
}

TEST(EventGrid, PictureOfSixteenSlots) {
    EventGrid grid(16);
    grid.RecordEventBlock(true, 0x0012, 0x0013);
    grid.RecordEventBlock(false, 0x0012, 0x0009);
    grid.RecordEventBlock(true, 0x0012, 0x0009);  // OK and bad: navy wins
    grid.RecordEventBlock(false, 0x0012, 0x000A);
    const EventGridPicture pic = DrawEventGrid(grid, 0x0013, 0x0012, 1.0);
    EXPECT_EQ(pic.width, 81);
    EXPECT_EQ(pic.height, 21);
    EXPECT_EQ(pic.lines.size(), 9U * 3U);
    EXPECT_EQ(pic.lines.back(), (std::vector<PicturePoint>{{0, 20}, {80, 20}, {80, 30}}));
    const std::vector<PictureRect> fills = {
        {21, 11, 30, 20, kGridGrey},   // slot 10: bad only
        {31, 1, 40, 10, kGridNavy},    // slot 3
        {11, 11, 20, 20, kGridNavy},   // slot 9
    };
    EXPECT_EQ(pic.fills, fills);
    const std::vector<PictureRect> outlines = {
        {31, 1, 39, 9, kGridYellow},   // last event number 0x13: slot 3
        {21, 1, 29, 9, kGridRed},      // event pointer 0x12: slot 2
    };
    EXPECT_EQ(pic.outlines, outlines);
    const EventGridPicture big = DrawEventGrid(grid, 0x0013, 0x0012, 1.5);
    EXPECT_EQ(big.width, 121);
    EXPECT_EQ(big.height, 31);
    EXPECT_EQ(big.outlines[1], (PictureRect{31, 1, 43, 13, kGridRed}));
}

// A writer process appends numbered records as fast as it can and is killed in mid-run: the
// file holds whole records only, each exactly as written and in order.
TEST(AppendRecordToFile, KilledWriterLeavesWholeRecordsOnly) {
    TempDir dir;
    const auto path = dir / "T030415.raw";
    for (int round = 0; round < 3; ++round) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (std::uint32_t n = 0;; ++n) {
                Block512 b = MakeABlock();
                for (std::size_t k = 2; k < 512; ++k) b[k] = static_cast<std::uint8_t>(n + k);
                b[100] = static_cast<std::uint8_t>(n);
                b[101] = static_cast<std::uint8_t>(n >> 8);
                b[102] = static_cast<std::uint8_t>(n >> 16);
                AppendRecordToFile(path, Record(b), false);
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(150 + 70 * round));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status));
        const auto file = test::ReadBytes(path);
        ASSERT_EQ(file.size() % 512, 0U) << "round " << round << ": " << file.size() << " bytes";
        ASSERT_GT(file.size(), 0U);
        // Each round's records count up from 0; every record's bytes follow from its number.
        std::uint32_t expected = 0;
        for (std::size_t r = 0; r < file.size() / 512; ++r) {
            const std::uint8_t* rec = file.data() + r * 512;
            const std::uint32_t n = rec[100] | rec[101] << 8 | rec[102] << 16;
            if (n == 0) expected = 0;
            ASSERT_EQ(n, expected) << "record " << r;
            for (std::size_t k = 2; k < 512; ++k) {
                if (k >= 100 && k <= 102) continue;
                ASSERT_EQ(rec[k], static_cast<std::uint8_t>(n + k)) << "record " << r << " byte " << k;
            }
            ++expected;
        }
    }
}

}  // namespace
}  // namespace orv
