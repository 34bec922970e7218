// The orv-cli commands fec-encode, fec-decode and adc on files.
#include <gtest/gtest.h>

#include <filesystem>

#include "cli_command_run.h"
#include "fec/adc_synth.h"
#include "fec/eb_no.h"
#include "fec/fec_block.h"
#include "fec_test_util.h"
#include "file_contents.h"
#include "sealed_block.h"
#include "temp_dir.h"

namespace orv {
namespace {

namespace fs = std::filesystem;

struct CliFixture : ::testing::Test {
    test::TempDir dir;

    std::string Path(const char* name) const { return dir.File(name); }

    // Runs a command; its exit code, and what it printed to stdout.
    static int Run(const std::string& name, std::vector<std::string> args, std::string& out) {
        const test::CliRun r = test::RunCliCommand(name, std::move(args));
        out = r.out;
        return r.exitCode;
    }
};

TEST_F(CliFixture, EncodeThenDecode) {
    const FecData data = test::RandomData(70);
    test::WriteBytes(Path("data"), data);
    std::string out;
    ASSERT_EQ(Run("fec-encode", {Path("data"), Path("frame")}, out), 0);
    auto frame = test::ReadBytes(Path("frame"));
    ASSERT_EQ(frame.size(), kFecFrameSymbols);
    EXPECT_TRUE(std::all_of(frame.begin(), frame.end(), [](std::uint8_t s) { return s <= 1; }));

    // Hard symbols as soft ones: 0 stays 0, 1 becomes 255; a few flipped.
    for (auto& s : frame) s = s != 0 ? 255 : 0;
    frame[100] ^= 0xFF;
    frame[4000] ^= 0xFF;
    test::WriteBytes(Path("soft"), frame);
    ASSERT_EQ(Run("fec-decode", {Path("soft"), "--data", Path("out"), "--block", Path("block")}, out), 0);
    EXPECT_EQ(out, "rsCorrections=0,0 channelErrors=2 ebNoDb=" + [] {
        char b[32];
        std::snprintf(b, sizeof b, "%.4f", static_cast<double>(EbNoFromChannelErrors(2)));
        return std::string(b);
    }() + "\n");
    EXPECT_EQ(test::ReadBytes(Path("out")), std::vector<std::uint8_t>(data.begin(), data.end()));
    const Block514 block = ReconstructFecBlock(data);
    EXPECT_EQ(test::ReadBytes(Path("block")), std::vector<std::uint8_t>(block.begin(), block.end()));
}

TEST_F(CliFixture, DecodeFailureAndBadInput) {
    std::vector<std::uint8_t> noise(kFecFrameSymbols);
    for (std::size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<std::uint8_t>(i * 131 + (i >> 3));
    test::WriteBytes(Path("noise"), noise);
    std::string out;
    EXPECT_EQ(Run("fec-decode", {Path("noise"), "--data", Path("out")}, out), 1);
    EXPECT_NE(out.find(" channelErrors=- ebNoDb=-\n"), std::string::npos) << out;
    EXPECT_EQ(out.rfind("rsCorrections=", 0), 0U);
    EXPECT_FALSE(fs::exists(Path("out")));
    // Wrong sizes and missing files are refused.
    test::WriteBytes(Path("short"), std::vector<std::uint8_t>(5199));
    EXPECT_EQ(Run("fec-decode", {Path("short")}, out), 1);
    EXPECT_EQ(Run("fec-encode", {Path("short"), Path("x")}, out), 1);
    EXPECT_EQ(Run("fec-decode", {Path("missing")}, out), 1);
    EXPECT_EQ(Run("fec-decode", {}, out), 2);
    EXPECT_FALSE(fs::exists(Path("x")));
}

TEST_F(CliFixture, AdcLogsEveryBlockAndPrintsOneLineEach) {
    AdcSynthOptions o;
    o.ebNoDb = 12.0;
    AdcSynthesizer synth(o);
    std::vector<std::uint8_t> samples;
    synth.AppendIdle(123, samples);
    Block514 k{};
    for (std::size_t i = 0; i < 512; ++i) k[i] = static_cast<std::uint8_t>('0' + i % 40);
    k[0] = 'K';
    k[1] = ' ';
    test::SealCrcc(k);
    Block514 broken = k;
    broken[0] = 'E';  // CRCC no longer matches
    FecData data = test::RandomData(71);
    data[172] = 0x01;  // day 1
    data[173] = 0x00;
    synth.AppendUncodedBlock(k, samples);
    synth.AppendUncodedBlock(broken, samples);
    synth.AppendFecFrame(data, samples);
    synth.AppendIdle(5, samples);
    test::WriteBytes(Path("samples"), samples);
    fs::create_directories(dir / "telemetry");

    std::string out;
    ASSERT_EQ(Run("adc", {Path("samples"), "--log", Path("log.tlm"), "--fec-log-dir", (dir / "telemetry").string()}, out), 0);
    EXPECT_EQ(out, "1 K OK uncoded\n2 E FAIL uncoded\n3 A OK fec\n");
    const auto log = test::ReadBytes(Path("log.tlm"));
    ASSERT_EQ(log.size(), 3U * 512);
    EXPECT_TRUE(std::equal(k.begin(), k.begin() + 512, log.begin()));
    EXPECT_EQ(log[512], 'E' | 0x80);  // failed mark
    EXPECT_EQ(std::string(log.begin() + 512 + 466, log.begin() + 512 + 469), "P3D");  // failed-CRCC stamp
    EXPECT_TRUE(fs::exists(dir / "telemetry" / "1_FEC.txt"));
    // A second run appends.
    ASSERT_EQ(Run("adc", {Path("samples"), "--log", Path("log.tlm")}, out), 0);
    EXPECT_EQ(test::ReadBytes(Path("log.tlm")).size(), 6U * 512);
    EXPECT_EQ(Run("adc", {Path("samples"), "--log", Path("log.tlm"), "--fec-log-dir", Path("nodir")}, out), 1);
    EXPECT_EQ(Run("adc", {Path("samples")}, out), 2);
}

}  // namespace
}  // namespace orv
