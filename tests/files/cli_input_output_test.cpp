// Every orv-cli command that reads a file or writes one, run as a user runs it, on bad input and
// bad outputs: a directory or an unreadable device as input, an output that is the input (also
// through a link), a full disk (a file size limit), an unwritable standard output.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <csignal>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "fec/adc_synth.h"
#include "fixture.h"

namespace orv {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

struct CliRun {
    int exitCode = -1;
    std::string out, err;
};

// Runs orv-cli through the shell; `limitBytes` > 0 caps the size of the files it writes (with
// SIGXFSZ ignored, a write past it fails as on a full disk). `stdoutTo` replaces the captured
// standard output.
CliRun Cli(const TempDir& dir, const std::string& args, rlim_t limitBytes = 0, const std::string& stdoutTo = "") {
    const std::string cmd = std::string("'") + ORV_CLI + "' " + args + " > '" +
                            (stdoutTo.empty() ? (dir / "stdout").string() : stdoutTo) + "' 2> '" +
                            (dir / "stderr").string() + "'";
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    const auto savedSignal = std::signal(SIGXFSZ, SIG_IGN);  // ignored signals stay ignored across exec
    if (limitBytes > 0) {
        const rlimit limit{limitBytes, saved.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    const int status = std::system(cmd.c_str());
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, savedSignal);
    CliRun r;
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = stdoutTo.empty() ? test::ReadText(dir / "stdout") : "";
    r.err = test::ReadText(dir / "stderr");
    return r;
}

std::string Q(const fs::path& p) { return "'" + p.string() + "'"; }

// The files in `dir` other than the captured streams: nothing is left beside an output.
std::vector<std::string> Leftovers(const TempDir& dir, const std::vector<std::string>& expected) {
    std::vector<std::string> extra;
    for (const auto& entry : fs::directory_iterator(dir.path())) {
        const std::string name = entry.path().filename().string();
        if (name == "stdout" || name == "stderr") continue;
        if (std::find(expected.begin(), expected.end(), name) == expected.end()) extra.push_back(name);
    }
    return extra;
}

std::vector<Block512> ABlocks(int count) {
    std::vector<Block512> blocks;
    for (int n = 1; n <= count; ++n)
        blocks.push_back(test::With(test::MakeABlock("2003-04-15  12:00:00"), {{300, static_cast<std::uint8_t>(10 * n)}}));
    return blocks;
}

TEST(CliInput, ADirectoryOrAnUnreadableInputIsReportedNotAnAbort) {
    TempDir dir;
    fs::create_directory(dir / "folder");
    test::WriteBytes(dir / "secret", std::vector<std::uint8_t>(512, 'A'));
    fs::permissions(dir / "secret", fs::perms::none);
    const bool root = ::geteuid() == 0;
    for (const std::string& input : {std::string("folder"), std::string("secret")}) {
        if (input == "secret" && root) continue;  // root reads every file
        for (const std::string& command :
             {"crcc " + Q(dir / input), "show status " + Q(dir / input), "fec-decode " + Q(dir / input),
              "fec-encode " + Q(dir / input) + " " + Q(dir / "frame"),
              "adc " + Q(dir / input) + " --log " + Q(dir / "log.raw"), "dsp-convert " + Q(dir / input)}) {
            SCOPED_TRACE(command);
            const CliRun r = Cli(dir, command);
            EXPECT_EQ(r.exitCode, 1) << r.err;
            const std::string name = command.substr(0, command.find(' '));
            EXPECT_EQ(r.err.rfind("orv-cli " + name + ": ", 0), 0U) << r.err;
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
    // A sparse file of 1.5 GiB: reading it whole would take more memory than the limit below.
    const fs::path big = dir / "big";
    test::WriteBytes(big, {});
    fs::resize_file(big, 3ULL << 29);
    // Memory limited to 1 GB of address space: the size is checked first, the CRCC is streamed.
    const std::string limited = "ulimit -v 1000000; ";
    for (const std::string& command : {"fec-decode " + Q(big), "fec-encode " + Q(big) + " " + Q(dir / "frame"),
                                       "dsp-convert " + Q(big), "crcc " + Q(big), "show status " + Q(big)}) {
        SCOPED_TRACE(command);
        const std::string shell = "sh -c \"" + limited + "exec '" + std::string(ORV_CLI) + "' " + command + "\" > " +
                                  Q(dir / "stdout") + " 2> " + Q(dir / "stderr");
        const int status = std::system(shell.c_str());
        const std::string err = test::ReadText(dir / "stderr");
        ASSERT_TRUE(WIFEXITED(status)) << err;
        const bool streams = command.rfind("crcc", 0) == 0 || command.rfind("show", 0) == 0;
        if (streams) {
            // All zero bytes: a CRCC; show finds no A block to draw.
            EXPECT_NE(WEXITSTATUS(status), 134) << err;
            if (command.rfind("crcc", 0) == 0) {
                EXPECT_EQ(WEXITSTATUS(status), 0) << err;
                EXPECT_EQ(test::ReadText(dir / "stdout").size(), 5U);
            } else {
                EXPECT_NE(err.find("is of kind"), std::string::npos) << err;
            }
        } else {
            EXPECT_EQ(WEXITSTATUS(status), 1) << err;
            EXPECT_NE(err.find("holds 1610612736 bytes"), std::string::npos) << err;
        }
    }
}

TEST(CliOutput, AnOutputThatIsAnInputIsRefusedAlsoThroughALink) {
    TempDir dir;
    const auto log = test::Concat(ABlocks(3));
    test::WriteBytes(dir / "T.raw", log);
    const std::vector<std::uint8_t> data(256, 7);
    test::WriteBytes(dir / "data", data);
    fs::create_symlink(dir / "T.raw", dir / "link.raw");
    fs::create_symlink(dir / "data", dir / "link.data");
    struct Case {
        std::string command;
        std::string says = "nothing was written";
    };
    for (const Case& c : {
             Case{"graph " + Q(dir / "T.raw") + " --addr 300 --png " + Q(dir / "T.raw")},
             Case{"graph " + Q(dir / "T.raw") + " --addr 300 --png " + Q(dir / "link.raw")},
             Case{"export " + Q(dir / "T.raw") + " " + Q(dir / "link.raw") + " --addr 300"},
             Case{"filter " + Q(dir / "T.raw") + " " + Q(dir / "link.raw") + " --force", "the same name"},
             Case{"fec-encode " + Q(dir / "data") + " " + Q(dir / "data")},
             Case{"fec-encode " + Q(dir / "data") + " " + Q(dir / "link.data")},
             Case{"adc " + Q(dir / "T.raw") + " --log " + Q(dir / "link.raw")},
         }) {
        SCOPED_TRACE(c.command);
        const CliRun r = Cli(dir, c.command);
        EXPECT_EQ(r.exitCode, 1) << r.err;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    }
    EXPECT_EQ(test::ReadBytes(dir / "T.raw"), log);
    EXPECT_EQ(test::ReadBytes(dir / "data"), data);
}

TEST(CliOutput, OnAFullDiskANamedOutputKeepsItsOldContentAndTheCommandFails) {
    TempDir dir;
    test::WriteBytes(dir / "T.raw", test::Concat(ABlocks(3)));
    test::WriteBytes(dir / "data", std::vector<std::uint8_t>(256, 7));
    const std::vector<std::uint8_t> old{1, 2, 3};
    for (const std::string& command :
         {"graph " + Q(dir / "T.raw") + " --addr 300 --png " + Q(dir / "out"), "fec-encode " + Q(dir / "data") + " " + Q(dir / "out")}) {
        SCOPED_TRACE(command);
        test::WriteBytes(dir / "out", old);
        // Less than the picture and the frame of 5200 symbols.
        const CliRun r = Cli(dir, command, 4096);
        EXPECT_NE(r.exitCode, 0) << r.err;
        EXPECT_NE(r.err.find("out"), std::string::npos) << r.err;
        EXPECT_EQ(test::ReadBytes(dir / "out"), old);
        EXPECT_EQ(Leftovers(dir, {"T.raw", "data", "out"}), std::vector<std::string>());
        // With room, the whole output replaces the old one.
        EXPECT_EQ(Cli(dir, command).exitCode, 0);
        EXPECT_GT(test::ReadBytes(dir / "out").size(), 4096U);
    }
}

TEST(CliOutput, AdcAppendsWholeRecordsAndPrintsOnlyTheBlocksItLogged) {
    TempDir dir;
    AdcSynthOptions noiseless;
    noiseless.ebNoDb = std::numeric_limits<double>::infinity();
    AdcSynthesizer synth(noiseless);
    std::vector<std::uint8_t> samples;
    synth.AppendIdle(500, samples);
    std::array<std::uint8_t, kFecDataBytes> data{};
    for (int frame = 0; frame < 3; ++frame) {
        data.fill(static_cast<std::uint8_t>(frame + 1));
        synth.AppendFecFrame(data, samples);
    }
    synth.AppendIdle(1, samples);
    test::WriteBytes(dir / "samples", samples);
    // A log of one record and a torn one; room for two records in all (1 KiB).
    std::vector<std::uint8_t> log(512 + 100, 'x');
    test::WriteBytes(dir / "log.raw", log);
    const CliRun r = Cli(dir, "adc " + Q(dir / "samples") + " --log " + Q(dir / "log.raw"), 1024);
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
    test::WriteBytes(dir / "T.raw", test::Concat(ABlocks(3)));
    for (const std::string& command : {"crcc " + Q(dir / "T.raw"), std::string("date 2003-04-15"),
                                       "graph " + Q(dir / "T.raw") + " --addr 300"}) {
        SCOPED_TRACE(command);
        const CliRun r = Cli(dir, command, 0, "/dev/full");
        EXPECT_EQ(r.exitCode, 1) << r.err;
        EXPECT_NE(r.err.find("cannot write the standard output"), std::string::npos) << r.err;
    }
}

}  // namespace
}  // namespace orv
