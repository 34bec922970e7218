// Every orv-cli command that reads a file or writes one, run as a user runs it, on bad input and
// bad outputs: a directory or an unreadable device as input, an input larger than memory allows,
// an output that is the input (also through a link), a full disk (a file size limit), an
// unwritable standard output.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <csignal>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "fec/adc_synth.h"
#include "fixture.h"
#include "orv_cli_run.h"

namespace orv {
namespace {

namespace fs = std::filesystem;
using test::CliRun;
using test::RunOrvCli;
using test::RunOrvCliWithStdoutTo;
using test::TempDir;
using Args = std::vector<std::string>;

// Runs orv-cli with the soft limit of `resource` set to `bytes` (the child inherits it; SIGXFSZ
// is ignored, so a write past a file size limit fails as on a full disk).
CliRun RunLimited(int resource, rlim_t bytes, const Args& args) {
    rlimit saved{};
    ::getrlimit(resource, &saved);
    const auto savedSignal = std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{bytes, saved.rlim_max};
    ::setrlimit(resource, &limit);
    const CliRun r = RunOrvCli(args);
    ::setrlimit(resource, &saved);
    std::signal(SIGXFSZ, savedSignal);
    return r;
}

// The names in `dir` beyond `expected`: nothing may be left beside an output.
std::vector<std::string> Leftovers(const TempDir& dir, const std::vector<std::string>& expected) {
    std::vector<std::string> extra;
    for (const auto& entry : fs::directory_iterator(dir.path())) {
        const std::string name = entry.path().filename().string();
        if (std::find(expected.begin(), expected.end(), name) == expected.end()) extra.push_back(name);
    }
    return extra;
}

std::vector<std::uint8_t> ALog(int count) {
    std::vector<Block512> blocks;
    for (int n = 1; n <= count; ++n) blocks.push_back(test::With(test::MakeABlock(), {{300, static_cast<std::uint8_t>(10 * n)}}));
    return test::Concat(blocks);
}

TEST(CliInput, ADirectoryOrAnUnreadableInputIsReportedNotAnAbort) {
    TempDir dir;
    fs::create_directory(dir / "folder");
    test::WriteBytes(dir / "secret", std::vector<std::uint8_t>(512, 'A'));
    fs::permissions(dir / "secret", fs::perms::none);
    std::vector<std::string> inputs{"folder"};
    if (::geteuid() != 0) inputs.push_back("secret");  // root reads every file
    for (const std::string& name : inputs) {
        const std::string input = (dir / name).string();
        for (const Args& args : {Args{"crcc", input}, Args{"show", "status", input}, Args{"fec-decode", input},
                                 Args{"fec-encode", input, (dir / "frame").string()},
                                 Args{"adc", input, "--log", (dir / "log.raw").string()}, Args{"dsp-convert", input}}) {
            SCOPED_TRACE(args[0] + " " + name);
            const CliRun r = RunOrvCli(args);
            EXPECT_EQ(r.exitCode, 1) << r.err;
            EXPECT_EQ(r.err.rfind("orv-cli " + args[0] + ": ", 0), 0U) << r.err;
            EXPECT_NE(r.err.find(input), std::string::npos) << r.err;
        }
    }
    EXPECT_EQ(Leftovers(dir, {"folder", "secret"}), std::vector<std::string>());
}

TEST(CliInput, ALargeInputIsRefusedByItsSizeOrReadInPieces) {
#ifdef ORV_SANITIZERS
    GTEST_SKIP() << "the sanitizers reserve more address space than the limit this test sets";
#endif
    TempDir dir;
    // A sparse file of 1.5 GiB, more than the address space the commands get here (1 GB).
    const std::string big = (dir / "big").string();
    test::WriteBytes(big, std::vector<std::uint8_t>{});
    fs::resize_file(big, 3ULL << 29);
    constexpr rlim_t kAddressSpace = 1000ULL << 20;
    // The size is checked before reading.
    for (const Args& args : {Args{"fec-decode", big}, Args{"fec-encode", big, (dir / "frame").string()},
                             Args{"dsp-convert", big}}) {
        SCOPED_TRACE(args[0]);
        const CliRun r = RunLimited(RLIMIT_AS, kAddressSpace, args);
        EXPECT_EQ(r.exitCode, 1) << r.err;
        EXPECT_NE(r.err.find("holds 1610612736 bytes"), std::string::npos) << r.err;
    }
    // Read in pieces: a CRCC of all the zero bytes; show finds block 1 is no A block.
    CliRun r = RunLimited(RLIMIT_AS, kAddressSpace, {"crcc", big});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out.size(), 5U) << r.out;
    r = RunLimited(RLIMIT_AS, kAddressSpace, {"show", "status", big});
    EXPECT_EQ(r.exitCode, 1) << r.err;
    EXPECT_NE(r.err.find("is of kind 0x00"), std::string::npos) << r.err;
    // A range is shown as it is read as well.
    r = RunLimited(RLIMIT_AS, kAddressSpace, {"show", "status", big, "--records", "1-2"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find("2 block(s) of the range"), std::string::npos) << r.err;
}

TEST(CliOutput, AnOutputThatIsAnInputIsRefusedAlsoThroughALink) {
    TempDir dir;
    const std::string log = (dir / "T.raw").string(), logLink = (dir / "link.raw").string();
    const std::string data = (dir / "data").string(), dataLink = (dir / "link.data").string();
    const auto logBytes = ALog(3);
    const std::vector<std::uint8_t> dataBytes(256, 7);
    test::WriteBytes(log, logBytes);
    test::WriteBytes(data, dataBytes);
    fs::create_symlink(log, logLink);
    fs::create_symlink(data, dataLink);
    struct Case {
        Args args;
        std::string says = "nothing was written";
    };
    for (const Case& c : {
             Case{{"graph", log, "--addr", "300", "--png", log}},
             Case{{"graph", log, "--addr", "300", "--png", logLink}},
             Case{{"export", log, logLink, "--addr", "300"}},
             Case{{"filter", log, logLink, "--force"}, "the same name"},
             Case{{"fec-encode", data, data}},
             Case{{"fec-encode", data, dataLink}},
             Case{{"adc", log, "--log", logLink}},
         }) {
        SCOPED_TRACE(c.args[0] + " " + c.args.back());
        const CliRun r = RunOrvCli(c.args);
        EXPECT_EQ(r.exitCode, 1) << r.err;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    }
    EXPECT_EQ(test::ReadBytes(log), logBytes);
    EXPECT_EQ(test::ReadBytes(data), dataBytes);
}

TEST(CliOutput, OnAFullDiskANamedOutputKeepsItsOldContentAndTheCommandFails) {
    TempDir dir;
    const std::string log = (dir / "T.raw").string(), data = (dir / "data").string(), out = (dir / "out").string();
    test::WriteBytes(log, ALog(3));
    test::WriteBytes(data, std::vector<std::uint8_t>(256, 7));
    const std::vector<std::uint8_t> old{1, 2, 3};
    for (const Args& args : {Args{"graph", log, "--addr", "300", "--png", out}, Args{"fec-encode", data, out}}) {
        SCOPED_TRACE(args[0]);
        test::WriteBytes(out, old);
        // Room for less than the picture and the frame of 5200 symbols.
        const CliRun r = RunLimited(RLIMIT_FSIZE, 4096, args);
        EXPECT_NE(r.exitCode, 0) << r.err;
        EXPECT_NE(r.err.find(out), std::string::npos) << r.err;
        EXPECT_EQ(test::ReadBytes(out), old);
        EXPECT_EQ(Leftovers(dir, {"T.raw", "data", "out"}), std::vector<std::string>());
        // With room, the whole new output replaces the old one.
        EXPECT_EQ(RunOrvCli(args).exitCode, 0);
        EXPECT_GT(test::ReadBytes(out).size(), 4096U);
    }
}

TEST(CliOutput, AdcAppendsWholeRecordsAndPrintsOnlyTheBlocksItLogged) {
    TempDir dir;
    AdcSynthOptions noiseless;
    noiseless.ebNoDb = std::numeric_limits<double>::infinity();
    AdcSynthesizer synth(noiseless);
    std::vector<std::uint8_t> samples;
    synth.AppendIdle(500, samples);
    std::array<std::uint8_t, kFecDataBytes> frame{};
    for (int n = 0; n < 3; ++n) {
        frame.fill(static_cast<std::uint8_t>(n + 1));
        synth.AppendFecFrame(frame, samples);
    }
    synth.AppendIdle(1, samples);
    test::WriteBytes(dir / "samples", samples);
    // A log of one record and a torn one; room for two records in all.
    const std::vector<std::uint8_t> log(512 + 100, 'x');
    test::WriteBytes(dir / "log.raw", log);
    const CliRun r =
        RunLimited(RLIMIT_FSIZE, 1024, {"adc", (dir / "samples").string(), "--log", (dir / "log.raw").string()});
    EXPECT_EQ(r.exitCode, 1) << r.err;
    EXPECT_NE(r.err.find("a partial record of 100 bytes was cut"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("block 2 not logged"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "1 A OK fec\n");
    const auto after = test::ReadBytes(dir / "log.raw");
    ASSERT_EQ(after.size(), 1024U);
    EXPECT_TRUE(std::equal(log.begin(), log.begin() + 512, after.begin()));
}

TEST(CliOutput, AnUnwritableStandardOutputIsAFailure) {
    TempDir dir;
    const std::string log = (dir / "T.raw").string();
    test::WriteBytes(log, ALog(3));
    for (const Args& args : {Args{"crcc", log}, Args{"date", "2003-04-15"}, Args{"graph", log, "--addr", "300"}}) {
        SCOPED_TRACE(args[0]);
        const CliRun r = RunOrvCliWithStdoutTo(args, "/dev/full");
        EXPECT_EQ(r.exitCode, 1) << r.err;
        EXPECT_NE(r.err.find("cannot write the standard output"), std::string::npos) << r.err;
    }
}

}  // namespace
}  // namespace orv
