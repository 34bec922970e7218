// The station's configuration file.
#include <gtest/gtest.h>

#include "app/cli/cli_args.h"
#include "app/cli/command.h"
#include "app/cli/station_config.h"
#include "file_contents.h"
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
                                         "# a station\n"
                                         "serial = /dev/ttyUSB0\n"
                                         "daily = true\n"
                                         "log-fec = no\n"
                                         "[station]\n"
                                         "data-dir = /var/lib/orv\n"
                                         "udp = 127.0.0.1:9000\n"
                                         "serve = 8000\n");
    std::string error;
    const auto words = ConfigArguments(path, StationTable(), error);
    ASSERT_TRUE(words) << error;
    std::vector<std::string> all = *words;
    for (const char* w : {"--serve", "8001", "--bind", "127.0.0.1"}) all.push_back(w);
    const auto args = CliArgs::Parse(StationTable(), all, error);
    ASSERT_TRUE(args) << error;
    EXPECT_EQ(args->Value("--serial"), "/dev/ttyUSB0");
    EXPECT_EQ(args->Value("--data-dir"), "/var/lib/orv");
    EXPECT_EQ(args->Value("--udp"), "127.0.0.1:9000");  // a value with a colon stays whole
    EXPECT_EQ(args->Value("--serve"), "8001");          // the command line wins
    EXPECT_EQ(args->Value("--bind"), "127.0.0.1");
    EXPECT_TRUE(args->Has("--daily"));
    EXPECT_FALSE(args->Has("--log-fec"));
}

TEST(StationConfig, MistakesNameTheFileAndTheKey) {
    struct Case {
        const char* text;
        const char* says;
    };
    const Case cases[] = {
        {"seriall = /dev/ttyS0\n", "unknown key \"seriall\""},
        {"config = other.conf\n", "unknown key \"config\""},
        {"daily = sometimes\n", "daily takes true or false"},
    };
    const test::TempDir dir;
    int n = 0;
    for (const Case& c : cases) {
        const std::string path = WriteConfig(dir, "station_bad" + std::to_string(n++) + ".conf", c.text);
        std::string error;
        EXPECT_FALSE(ConfigArguments(path, StationTable(), error)) << c.text;
        EXPECT_NE(error.find(path), std::string::npos) << error;
        EXPECT_NE(error.find(c.says), std::string::npos) << error;
    }
    std::string error;
    EXPECT_FALSE(ConfigArguments("/no/such/station.conf", StationTable(), error));
    EXPECT_NE(error.find("cannot read"), std::string::npos) << error;
}

}  // namespace
}  // namespace orv::cli
