// orv-cli station's forwarding options as separate processes: a station reading KISS from a file
// writes KISS that a second station reads, and both logs are the same; option
// values that cannot work are refused with a message and status 2 before anything starts.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "forward/kiss.h"
#include "forward_blocks.h"
#include "orv_cli_run.h"
#include "temp_dir.h"

namespace orv {
namespace {

using test::CliRun;
using test::RunOrvCli;
using test::TempDir;

CliRun Station(const TempDir& dir, std::vector<std::string> args) {
    args.insert(args.begin(), {"--settings", (dir / "orv.ini").string(), "station"});
    return RunOrvCli(args);
}

// The telemetry logs' bytes, file after file (the names carry the date: not compared).
std::string Logs(const std::filesystem::path& dataDir) {
    std::vector<std::filesystem::path> files;
    for (const auto& e : std::filesystem::directory_iterator(dataDir / "telemetry")) files.push_back(e.path());
    std::sort(files.begin(), files.end());
    std::string all;
    for (const auto& f : files) all += test::ReadText(f.string());
    return all;
}

TEST(StationCliForwardingTest, KissOutOfOneStationIntoAnotherGivesTheSameLog) {
    TempDir dir;
    std::vector<std::uint8_t> kiss;
    for (std::uint32_t n = 1; n <= 5; ++n) AppendKissFrame(kiss, test::ForwardBlock(n, n == 3 ? 'E' : 'A'));
    Block514 failed = test::ForwardBlock(6);
    failed[40] ^= 1;
    AppendKissFrame(kiss, failed);
    const std::string in = (dir / "in.kiss").string(), out = (dir / "a.kiss").string();
    std::ofstream(in, std::ios::binary).write(reinterpret_cast<const char*>(kiss.data()),
                                              static_cast<std::streamsize>(kiss.size()));

    const CliRun a = Station(dir, {"--kiss-in", in, "--kiss-out", out, "--data-dir", (dir / "a").string()});
    ASSERT_EQ(a.exitCode, 0) << a.err;
    EXPECT_EQ(test::ReadText(out), std::string(kiss.begin(), kiss.end()));

    const CliRun b = Station(dir, {"--kiss-in", out, "--data-dir", (dir / "b").string()});
    ASSERT_EQ(b.exitCode, 0) << b.err;
    const std::string logA = Logs(dir / "a");
    EXPECT_EQ(logA.size(), 6U * kTelemetryBytes);  // every block, the failed one too
    EXPECT_EQ(Logs(dir / "b"), logA);
}

TEST(StationCliForwardingTest, UnusableValuesAreRefused) {
    TempDir dir;
    const struct {
        std::vector<std::string> args;
        const char* message;
    } cases[] = {
        {{"--kiss-in", "-", "--kiss-serve", "70000"}, "--kiss-serve \"70000\" is not a port"},
        {{"--kiss-connect", "nohostport"}, "--kiss-connect"},
        {{"--kiss-in", "-", "--sids", "https://db.example/api/", "--callsign", "TE5T", "--latitude", "52N"},
         "--sids needs --longitude"},
        {{"--kiss-in", "-", "--sids", "https://db.example/api/", "--callsign", "TE5T", "--latitude", "91",
          "--longitude", "4E"},
         "--latitude \"91\""},
        {{"--kiss-in", "-", "--callsign", "TE5T"}, "belong to --sids"},
        {{"--kiss-in", "-", "--mqtt", "127.0.0.1:1883", "--mqtt-user", "orv"}, "go together"},
        {{"--kiss-in", "-", "--mqtt-topic", "orv"}, "belong to --mqtt"},
        {{"--kiss-in", "-", "--mqtt-cafile", "ca.crt"}, "belong to --mqtt"},
        {{"--kiss-in", "-", "--mqtt", "127.0.0.1:8883", "--mqtt-cafile", "/nonexistent/ca.crt"}, "CA file"},
        {{"--kiss-in", "-", "--kiss-good-only"}, "belong to --kiss-serve or --kiss-out"},
        {{"--kiss-in", "-", "--bind", "127.0.0.1"}, "--bind belongs to --serve or --kiss-serve"},
        {{"--data-dir", "x"}, "--kiss-in FILE"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.front() + " " + c.args.back());
        const CliRun r = Station(dir, c.args);
        EXPECT_EQ(r.exitCode, 2) << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
}

}  // namespace
}  // namespace orv
