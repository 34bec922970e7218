// orv-cli and orv as a user runs them: --help anywhere lists every option of the command's table,
// unknown options and bad values are usage errors (2) with an "orv-cli CMD:" message, -V, and
// the man pages made from the same tables.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sstream>

#include "app/cli/command.h"
#include "orv_cli_run.h"

namespace orv::cli {
namespace {

// Runs orv-cli with the words of `line` (split at spaces; no quoting needed by these cases).
test::CliRun Cli(const std::string& line, const std::string& input = "/dev/null") {
    std::istringstream split(line);
    std::vector<std::string> words;
    for (std::string w; split >> w;) words.push_back(w);
    return test::RunOrvCli(words, input);
}

std::string Head(const CliOption& o) {
    return (o.names.back().size() == 1 ? "-" : "--") + o.names.back();
}

TEST(CliConventions, HelpAnywhereListsEveryOptionOfTheCommand) {
    for (const CliCommand& c : AllCommands()) {
        SCOPED_TRACE(c.name);
        for (const std::string& where : {c.name + " --help", c.name + " --no-such-option x y -h", c.name + " -- -h"}) {
            const test::CliRun r = Cli(where);
            if (where.find("-- -h") != std::string::npos) {
                EXPECT_NE(r.out.rfind("Usage:", 0), 0U) << "after -- a -h is an argument";
                continue;
            }
            ASSERT_EQ(r.exitCode, 0) << where << r.err;
            EXPECT_EQ(r.out.rfind("Usage: orv-cli " + c.name, 0), 0U) << r.out;
            for (const CliOption& o : c.options) {
                if (o.hidden) continue;
                // Each option's line carries its explanation's first words.
                const std::size_t at = r.out.find("  " + Head(o));
                ASSERT_NE(at, std::string::npos) << Head(o);
                const std::string firstWord = o.description.substr(0, o.description.find(' '));
                EXPECT_NE(r.out.find(firstWord, at), std::string::npos) << Head(o);
                EXPECT_FALSE(o.description.empty()) << Head(o);
            }
        }
    }
}

TEST(CliConventions, MistakesAreUsageErrorsNamedByTheCommand) {
    struct Case {
        std::string args;
        std::string says;
    };
    const Case cases[] = {
        {"crcc --colour", "orv-cli crcc: unknown option --colour (see orv-cli crcc --help)"},
        {"show status", "orv-cli show: give a window and a file"},
        {"fec-decode --data", "orv-cli fec-decode: option --data needs a value"},
        {"date 2026-02-30", "orv-cli date: give a date YYYY-MM-DD"},
        {"export --mask 3 --addr 1 in out", "orv-cli export: --mask must follow the --addr it applies to"},
        {"station --serial /dev/null --crcc use", "orv-cli station: --log, --crcc"},
        {"station --serial /dev/null --serve 0 --bind example.org", "orv-cli station: --bind \"example.org\" is not"},
        {"station --serial /dev/null --bind 127.0.0.1", "orv-cli station: --bind belongs to --serve or --kiss-serve"},
        {"simulate --pty --bind 127.0.0.1", "orv-cli simulate: --bind belongs to --tcp-serve"},
        {"no-such-command", "orv-cli: unknown command \"no-such-command\""},
        {"--no-such-global crcc", "orv-cli: unknown option --no-such-global"},
    };
    for (const Case& c : cases) {
        const test::CliRun r = Cli(c.args);
        EXPECT_EQ(r.exitCode, kExitUsage) << c.args;
        EXPECT_EQ(r.err.rfind(c.says, 0), 0U) << c.args << ": " << r.err;
        EXPECT_EQ(r.out, "") << c.args;
    }
    // Input and output failures are 1.
    for (const std::string args : {"crcc /no/such/file", "show status /no/such/file", "adc --log /no/such/dir/x.raw -"}) {
        const test::CliRun r = Cli(args);
        EXPECT_EQ(r.exitCode, kExitFailure) << args << r.err;
        EXPECT_EQ(r.err.rfind("orv-cli " + args.substr(0, args.find(' ')) + ": ", 0), 0U) << r.err;
    }
}

TEST(CliConventions, VersionAndProgramHelp) {
    for (const char* args : {"-V", "--version"}) {
        const test::CliRun r = Cli(args);
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_EQ(r.out, std::string("orv-cli ") + ORV_VERSION + "\n");
    }
    test::CliRun r = test::RunProgram(ORV_GUI, {"--version"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, std::string("orv ") + ORV_VERSION + "\n");
    r = test::RunProgram(ORV_GUI, {"--bogus"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err.rfind("orv: unknown option --bogus", 0), 0U) << r.err;
    r = Cli("--help");
    EXPECT_EQ(r.exitCode, 0);
    for (const CliCommand& c : AllCommands()) {
        const bool listed = r.out.find(c.name + ",") != std::string::npos || r.out.find(c.name + ".") != std::string::npos;
        EXPECT_TRUE(listed) << c.name;
    }
    EXPECT_EQ(Cli("").exitCode, kExitUsage);
}

// The man pages are printed from the option tables: every command and every option is in the
// built orv-cli.1, with the same explanation --help gives; orv.1 carries orv's options.
TEST(CliConventions, ManPagesComeFromTheSameTables) {
    const std::string man = test::ReadText(std::filesystem::path(ORV_MAN_DIR) / "orv-cli.1");
    EXPECT_EQ(man, Cli("--manpage").out);
    const auto roff = [](std::string text) {
        std::string out;
        for (char c : text) out += c == '-' ? std::string("\\-") : std::string(1, c);
        return out;
    };
    for (const CliCommand& c : AllCommands()) {
        EXPECT_NE(man.find(".SS \"orv\\-cli " + roff(c.name) + "\""), std::string::npos) << c.name;
        for (const CliOption& o : c.options) {
            if (o.hidden) continue;
            EXPECT_NE(man.find(roff(o.description)), std::string::npos) << c.name << " " << Head(o);
        }
    }
    EXPECT_NE(man.find(".SH EXIT STATUS"), std::string::npos);
    const std::string gui = test::ReadText(std::filesystem::path(ORV_MAN_DIR) / "orv.1");
    EXPECT_EQ(gui.rfind(".\\\"", 0), 0U);
    EXPECT_NE(gui.find(".TH ORV 1"), std::string::npos);
    EXPECT_NE(gui.find("\\-\\-demo"), std::string::npos);
    EXPECT_EQ(gui.find("manpage"), std::string::npos) << "hidden options stay out";
}

// The configuration file's values give way to the command line's, wherever on the line they stand.
TEST(CliConventions, TheCommandLineOverridesTheStationConfigFile) {
    const test::TempDir dir;
    test::WriteText(dir / "station.conf", "serial = /dev/orv-from-file\nsettings = " + dir.File("s.ini") + "\n");
    for (const std::string& line : {"--serial /dev/orv-from-line station --config " + dir.File("station.conf"),
                                    "station --config " + dir.File("station.conf") + " --serial /dev/orv-from-line"}) {
        const test::CliRun r = Cli(line);
        EXPECT_EQ(r.exitCode, kExitFailure) << line;
        EXPECT_NE(r.err.find("/dev/orv-from-line"), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find("/dev/orv-from-file"), std::string::npos) << r.err;
    }
    const test::CliRun r = Cli("station --config " + dir.File("station.conf"));
    EXPECT_NE(r.err.find("/dev/orv-from-file"), std::string::npos) << r.err;
}

TEST(CliConventions, DashIsStandardInput) {
    const test::TempDir dir;
    const std::string file = dir.File("bytes");
    test::WriteText(file, "AO-40 telemetry");
    const test::CliRun fromFile = Cli("crcc " + file);
    EXPECT_EQ(fromFile.exitCode, 0);
    EXPECT_EQ(Cli("crcc -", file).out, fromFile.out);
    EXPECT_EQ(Cli("crcc", file).out, fromFile.out);
}

// --log - streams the records to standard output as they are decoded, the block lines moving to
// standard error; outputs that cannot share standard output with the block lines are refused.
TEST(CliConventions, LogDashIsStandardOutputWhereTheCommandStreams) {
    const test::TempDir dir;
    ASSERT_EQ(Cli("simulate --modem ADC --blocks 3 --seed 5 --out " + dir.File("samples")).exitCode, 0);
    const test::CliRun toFile = Cli("adc --log " + dir.File("log.raw") + " " + dir.File("samples"));
    ASSERT_EQ(toFile.exitCode, 0) << toFile.err;
    const test::CliRun toStdout = Cli("adc --log - " + dir.File("samples"));
    ASSERT_EQ(toStdout.exitCode, 0) << toStdout.err;
    EXPECT_FALSE(toStdout.out.empty());
    EXPECT_EQ(toStdout.out, test::ReadText(dir / "log.raw"));
    EXPECT_EQ(toStdout.err, toFile.out + toFile.err);
    EXPECT_FALSE(std::filesystem::exists("-"));

    for (const std::string& line : {"audio --log x.raw --samples-out - " + dir.File("samples"),
                                    "station --kiss-in " + dir.File("samples") + " --kiss-out -"}) {
        const test::CliRun r = Cli(line);
        EXPECT_EQ(r.exitCode, kExitUsage) << line;
        EXPECT_NE(r.err.find("standard output carries the block"), std::string::npos) << r.err;
    }
}

// An empty recording: the counts say so and no empty log is left behind.
TEST(CliConventions, AdcOnNothingSaysSoAndLeavesNoLog) {
    const test::TempDir dir;
    const test::CliRun r = Cli("adc --log " + dir.File("log.raw") + " /dev/null");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "orv-cli adc: 0 samples, 0 blocks\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "log.raw"));
    // A log that is not writable is still named before anything is read.
    const test::CliRun bad = Cli("adc --log " + dir.File("no/such/dir/log.raw") + " /dev/null");
    EXPECT_EQ(bad.exitCode, kExitFailure);
    EXPECT_NE(bad.err.find("cannot open"), std::string::npos) << bad.err;
}

// orv without a display says so and where to go instead, in place of Qt's abort.
TEST(CliConventions, TheDesktopProgramWithoutADisplayPointsToOrvCli) {
    struct Saved {
        std::string name;
        std::optional<std::string> value;
    };
    std::vector<Saved> saved;
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* v = std::getenv(name);
        saved.push_back({name, v ? std::optional<std::string>(v) : std::nullopt});
        unsetenv(name);
    }
    std::vector<test::CliRun> runs;
    runs.push_back(test::RunProgram(ORV_GUI, {"--demo"}));
    runs.push_back(test::RunProgram(ORV_GUI, {}));
    setenv("DISPLAY", ":7391", 1);
    runs.push_back(test::RunProgram(ORV_GUI, {"--demo"}));
    for (const Saved& s : saved) {
        if (s.value) setenv(s.name.c_str(), s.value->c_str(), 1);
        else unsetenv(s.name.c_str());
    }
    for (const test::CliRun& r : runs) {
        EXPECT_EQ(r.exitCode, kExitFailure) << r.err;
        EXPECT_NE(r.err.find("orv: no display was found"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("\"orv-cli demo\" runs the demo and \"orv-cli station\" runs the station"), std::string::npos)
            << r.err;
    }
    EXPECT_NE(runs[2].err.find("DISPLAY=:7391"), std::string::npos) << runs[2].err;
}

}  // namespace
}  // namespace orv::cli
