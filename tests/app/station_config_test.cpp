// The station's configuration file.
#include <gtest/gtest.h>

#include "app/cli/cli_args.h"
#include "app/cli/command.h"
#include "app/cli/station_config.h"
#include "file_contents.h"
#include "orv_cli_run.h"
#include "temp_dir.h"

namespace orv::cli {
namespace {

std::vector<CliOption> StationTable() {
    for (const CliCommand& c : AllCommands())
        if (c.name == "station") return c.options;
    ADD_FAILURE() << "no station command";
    return {};
}

std::string WriteConfig(const test::TempDir& dir, const std::string& name, const std::string& text) {
    test::WriteText(dir / name, text);
    return dir.File(name);
}

TEST(StationConfig, KeysBecomeOptionsAndTheCommandLineOverridesThem) {
    const test::TempDir dir;
    const std::string path = WriteConfig(dir, "station_ok.conf",
                                         "\xEF\xBB\xBF# a station\r\n"
                                         "serial = /dev/ttyUSB0 ; the modem\r\n"
                                         "\n"
                                         "   # baud = 9600\n"
                                         "; modem = 514\n"
                                         "daily = true\n"
                                         "log-fec = no\n"
                                         "[station]\n"
                                         "data-dir = \"/var/lib/orv; \\\"two\\\"\" ; quoted\n"
                                         "udp = 127.0.0.1:9000\n"
                                         "serve = 8000\n"
                                         "[General]\n"
                                         "bind=0.0.0.0");
    std::string error;
    const auto words = ConfigArguments(path, StationTable(), error);
    ASSERT_TRUE(words) << error;
    std::vector<std::string> all = *words;
    for (const char* w : {"--serve", "8001", "--bind", "127.0.0.1"}) all.push_back(w);
    const auto args = CliArgs::Parse(StationTable(), all, error);
    ASSERT_TRUE(args) << error;
    EXPECT_EQ(args->Value("--serial"), "/dev/ttyUSB0");
    EXPECT_FALSE(args->Has("--baud"));
    EXPECT_FALSE(args->Has("--modem"));
    EXPECT_EQ(args->Value("--data-dir"), "/var/lib/orv; \"two\"");
    EXPECT_EQ(args->Value("--udp"), "127.0.0.1:9000");  // a value with a colon stays whole
    EXPECT_EQ(args->Value("--serve"), "8001");          // the command line wins
    EXPECT_EQ(args->Value("--bind"), "127.0.0.1");
    EXPECT_TRUE(args->Has("--daily"));
    EXPECT_FALSE(args->Has("--log-fec"));
}

// A line the reader cannot take stops the station: the file, the line number and the line
// (shortened, control bytes shown) or the key are named, and nothing of the file is used.
TEST(StationConfig, RefusedLinesNameTheFileAndTheirNumber) {
    struct Case {
        std::string text;
        std::string says;
    };
    const Case cases[] = {
        {"daily = true\ndata-dir: /srv/orv\n", "line 2: not a comment, [section] or key = value: \"data-dir: /srv/orv\""},
        {"serve 17999\n", "line 1: not a comment, [section] or key = value: \"serve 17999\""},
        {"# x\n\n=/dev/ttyUSB0\n", "line 3: not a comment, [section] or key = value: \"=/dev/ttyUSB0\""},
        {std::string("serial = /dev/tty\0USB0\n", 23), "line 1: the line holds a NUL byte: \"serial = /dev/tty\\x00USB0\""},
        {"daily = true\n" + std::string(4 << 20, 'x') + "\n", "line 2: the line is too long: \"" + std::string(60, 'x') + "...\""},
        {std::string(8 << 20, 'k'), "line 1: the line is too long"},
        {"[station\n", "line 1: not a comment, [section] or key = value: \"[station\""},
        {"[modem]\nbaud = 9600\n", "line 1: unknown section \"[modem]\""},
        {"serial = \"/dev/ttyUSB0\n", "line 1: a quoted value without its closing quote"},
        {"serial = \"/dev/ttyUSB0\" x\n", "line 1: a quoted value without its closing quote"},
        {"seriall = /dev/ttyS0\n", "line 1: unknown key \"seriall\""},
        {"config = other.conf\n", "line 1: unknown key \"config\""},
        {"# daily\ndaily = sometimes\n", "line 2: daily takes true or false, not \"sometimes\""},
    };
    const test::TempDir dir;
    int n = 0;
    for (const Case& c : cases) {
        const std::string path = WriteConfig(dir, "malformed" + std::to_string(n++) + ".conf", c.text);
        std::string error;
        EXPECT_FALSE(ConfigArguments(path, StationTable(), error)) << c.says;
        EXPECT_EQ(error.substr(0, path.size() + 4), "\"" + path + "\", ") << error.substr(0, 200);
        EXPECT_NE(error.find(c.says), std::string::npos) << error.substr(0, 200);
        EXPECT_LT(error.size(), path.size() + 160);
    }
    // The station refuses to start: exit 2, said once on stderr.
    const test::CliRun r = test::RunOrvCli({"station", "--config", dir.File("malformed0.conf")});
    EXPECT_EQ(r.exitCode, kExitUsage);
    EXPECT_NE(r.err.find("line 2: not a comment"), std::string::npos) << r.err;
}

TEST(StationConfig, AFileThatCannotBeReadIsNamed) {
    const test::TempDir dir;
    std::string error;
    EXPECT_FALSE(ConfigArguments("/no/such/station.conf", StationTable(), error));
    EXPECT_NE(error.find("cannot read"), std::string::npos) << error;
    EXPECT_FALSE(ConfigArguments(dir.File(""), StationTable(), error));  // a directory
    EXPECT_NE(error.find("cannot read"), std::string::npos) << error;
}

}  // namespace
}  // namespace orv::cli
