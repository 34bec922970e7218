// orv-cli simulate: the --out file, and clear refusals of what it cannot do.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli_command_run.h"
#include "file_contents.h"
#include "sim/telemetry_generator.h"
#include "temp_dir.h"

namespace orv::cli {
namespace {

test::CliRun Simulate(std::vector<std::string> args) { return test::RunCliCommand("simulate", std::move(args)); }

struct SimCli : ::testing::Test {
    test::TempDir dir;
    std::filesystem::path out = dir / "stream.bin";
};

TEST_F(SimCli, OutWritesTheSeededStreamWithoutPauses) {
    for (const char* modem : {"514", "512"}) {
        const test::CliRun r = Simulate({"--out", out.string(), "--blocks", "7", "--modem", modem, "--seed", "9",
                                        "--fail-share", "0.25", "--start", "2026-12-10 14:00:00"});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_NE(r.err.find("sent 7 blocks"), std::string::npos) << r.err;

        sim::SimOptions o;
        o.modem = std::string(modem) == "512" ? ModemType::Bytes512 : ModemType::Bytes514;
        o.seed = 9;
        o.failShare = 0.25;
        o.startUtc = 1796911200;  // 2026-12-10 14:00:00 UTC
        sim::TelemetryGenerator twin(o);
        std::vector<std::uint8_t> expected;
        for (int i = 0; i < 7; ++i) {
            const auto w = twin.Next().wire;
            expected.insert(expected.end(), w.begin(), w.end());
        }
        EXPECT_EQ(test::ReadBytes(out), expected);
    }
}

TEST_F(SimCli, AdcOutWritesTheDemodulatorSamples) {
    const test::CliRun r = Simulate({"--out", out.string(), "--blocks", "4", "--modem", "ADC", "--ebno", "6.5",
                                    "--adc-offset", "131", "--seed", "9", "--start", "2026-12-10 14:00:00"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find("sent 4 blocks (A 3, K 1), 3 as FEC frames"), std::string::npos) << r.err;

    sim::SimOptions o;
    o.modem = ModemType::Adc;
    o.seed = 9;
    o.ebNoDb = 6.5;
    o.adcOffset = 131;
    o.baudRate = 9600;
    o.startUtc = 1796911200;
    sim::TelemetryGenerator twin(o);
    std::vector<std::uint8_t> expected;
    for (int i = 0; i < 4; ++i) {
        const auto w = twin.Next().wire;
        expected.insert(expected.end(), w.begin(), w.end());
    }
    const auto closing = twin.Closing();
    expected.insert(expected.end(), closing.begin(), closing.end());
    EXPECT_EQ(expected.size(), 3u * 5200 + 4144 + 40);
    EXPECT_EQ(test::ReadBytes(out), expected);
}

TEST_F(SimCli, MistakesGetAClearMessageAndWriteNothing) {
    const std::string f = out.string();
    struct Case {
        std::vector<std::string> args;
        const char* says;
    };
    const Case cases[] = {
        {{"--blocks", "3"}, "choose one output"},
        {{"--pty", "--out", f, "--blocks", "3"}, "choose one output"},
        {{"--out", f}, "needs --blocks"},
        {{"--out", f, "--blocks", "0"}, "--blocks"},
        {{"--out", f, "--blocks", "many"}, "--blocks"},
        {{"--out", f, "--blocks", "3", "--fail-share", "1.5"}, "--fail-share"},
        {{"--out", f, "--blocks", "3", "--fail-share", "five"}, "--fail-share"},
        {{"--out", f, "--blocks", "3", "--speed", "0.5"}, "--speed"},
        {{"--out", f, "--blocks", "3", "--modem", "513"}, "--modem takes 512, 514 or ADC"},
        {{"--out", f, "--blocks", "3", "--modem", "ADC", "--fail-share", "0.1"}, "noise of --ebno"},
        {{"--out", f, "--blocks", "3", "--ebno", "5"}, "are for --modem ADC"},
        {{"--out", f, "--blocks", "3", "--adc-offset", "120"}, "are for --modem ADC"},
        {{"--out", f, "--blocks", "3", "--modem", "ADC", "--ebno", "loud"}, "--ebno takes"},
        {{"--out", f, "--blocks", "3", "--modem", "ADC", "--ebno", "200"}, "--ebno takes"},
        {{"--out", f, "--blocks", "3", "--modem", "ADC", "--adc-offset", "256"}, "--adc-offset takes"},
        {{"--out", f, "--blocks", "3", "--modem", "ADC", "--baud", "2400"}, "needs --baud 4800"},
        {{"--out", f, "--blocks", "3", "--tcp-serve", "1024"}, "choose one output"},
        {{"--tcp-serve", "65536"}, "--tcp-serve takes a TCP port"},
        {{"--tcp-serve", "port"}, "--tcp-serve takes a TCP port"},
        {{"--out", f, "--blocks", "3", "--full-block"}, "--full-block belongs to --tcp-serve"},
        {{"--out", f, "--blocks", "3", "--start", "2026-02-30"}, "--start"},
        {{"--out", f, "--blocks", "3", "--baud", "50"}, "--baud"},
        {{"--out", f, "--blocks", "3", "--seed", "-1"}, "--seed"},
        {{"--out", f, "--blocks", "3", "--colour"}, "orv-cli simulate: unknown option --colour"},
        {{"--out", f, "--blocks", "3", "extra"}, "unexpected argument"},
        {{"--out", f, "--blocks"}, "option --blocks needs a value"},
    };
    for (const auto& c : cases) {
        const test::CliRun r = Simulate(c.args);
        EXPECT_EQ(r.exitCode, 2) << c.says;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        EXPECT_FALSE(std::filesystem::exists(out)) << c.says;
    }
    const test::CliRun r = Simulate({"--out", (dir / "no-such-dir" / "x.bin").string(), "--blocks", "3"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("cannot create"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace orv::cli
