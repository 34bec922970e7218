// The station's configuration file and its JSON Lines.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstring>

#include "app/cli/cli_args.h"
#include "app/cli/command.h"
#include "app/cli/station_config.h"
#include "app/cli/station_json.h"
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

TEST(StationJson, OneObjectPerBlockWithTheDisplaysOfABlocks) {
    Block514 a{};
    std::memset(a.data(), ' ', 64);
    std::memcpy(a.data(), "A  HI, THIS IS AMSAT OSCAR-40", 29);
    std::memcpy(a.data() + 36, "2003-12-30  14:05:09", 20);
    const std::string line = StationBlockJson(a, "OK", 1765333479);  // 2025-12-10T02:24:39Z
    EXPECT_EQ(line.find('\n'), std::string::npos);
    QJsonParseError parse;
    const QJsonObject o = QJsonDocument::fromJson(QByteArray::fromStdString(line), &parse).object();
    ASSERT_EQ(parse.error, QJsonParseError::NoError) << line;
    EXPECT_EQ(o["time"].toString(), "2025-12-10T02:24:39Z");
    EXPECT_EQ(o["kind"].toString(), "A");
    EXPECT_EQ(o["crcc"].toString(), "OK");
    EXPECT_EQ(o["header_time"].toString(), "2003-12-30 14:05:09");
    const QJsonObject displays = o["displays"].toObject();
    for (const char* window : {"status", "power", "temp", "nav", "matrix"})
        EXPECT_EQ(displays[window].toObject()["window"].toString(), window) << window;
    bool anyNumber = false;
    for (const QJsonValue& f : displays["power"].toObject()["fields"].toArray())
        anyNumber = anyNumber || f.toObject()["value"].isDouble();
    EXPECT_TRUE(anyNumber);

    Block514 k{};
    k[0] = 'K';
    k[1] = ' ';
    const QJsonObject text = QJsonDocument::fromJson(QByteArray::fromStdString(StationBlockJson(k, "FAIL", 0))).object();
    EXPECT_EQ(text["kind"].toString(), "K");
    EXPECT_EQ(text["crcc"].toString(), "FAIL");
    EXPECT_FALSE(text.contains("displays"));
    EXPECT_FALSE(text.contains("header_time"));
}

}  // namespace
}  // namespace orv::cli
