// orv-cli show: reading a file, choosing the block, and the output lines.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstring>
#include <regex>
#include <sstream>

#include "cli_command_run.h"
#include "field_cases.h"
#include "file_contents.h"
#include "temp_dir.h"

namespace orv {
namespace {

test::CliRun Show(std::vector<std::string> args) { return test::RunCliCommand("show", std::move(args)); }

// Writes the first `recordSize` bytes of each block into the file `name` in `dir`, then
// `extraBytes` bytes 'x'; the file's path.
std::string WriteFile(const test::TempDir& dir, const std::string& name, const std::vector<Block514>& blocks,
                      std::size_t recordSize, std::size_t extraBytes = 0) {
    std::vector<std::uint8_t> bytes;
    for (const auto& b : blocks) bytes.insert(bytes.end(), b.begin(), b.begin() + static_cast<long>(recordSize));
    bytes.resize(bytes.size() + extraBytes, 'x');
    test::WriteBytes(dir / name, bytes);
    return dir.File(name);
}

Block514 Titled(char kind, const char* title) {
    Block514 b = test::ABlock({{0x1CA, 0x01}, {0x1F2, 0x01}});
    std::memcpy(b.data(), title, std::strlen(title));
    b[0] = static_cast<std::uint8_t>(kind);
    return b;
}

std::string FirstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

TEST(ShowCommandTest, PicksTheBlockAndItsWindow) {
    const test::TempDir dir;
    Block514 e = Titled('E', "E  event");
    std::memcpy(e.data() + 135, "00F3", 4);
    const std::string file =
        WriteFile(dir, "show_file.tlm", {Titled('A', "A  first"), e, Titled('A', "A  third")}, 512);

    test::CliRun r = Show({"status", file, "--block", "3"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(FirstLine(r.out), "Header\tTitle\tA  third\tform");
    EXPECT_NE(r.out.find("\nRcv/Ant/Leila\t21:\tON\tred\n"), std::string::npos);

    r = Show({"status", file});  // block 1 by default
    EXPECT_EQ(FirstLine(r.out), "Header\tTitle\tA  first\tform");

    r = Show({"status", file, "--block", "2", "--events"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(FirstLine(r.out), "Header\tTitle\tPhase 3-D Event #00F3\tform");

    // Blocks the window would not draw.
    for (const auto& args : {std::vector<std::string>{"power", file, "--block", "2"},
                             std::vector<std::string>{"nav", file, "--events"}}) {
        r = Show(args);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(r.out.empty());
        EXPECT_NE(r.err.find("kind"), std::string::npos) << r.err;
    }
}

TEST(ShowCommandTest, SingleBlockAndMatrixLines) {
    const test::TempDir dir;
    const std::string file = WriteFile(dir, "show_block.dat", {Titled('A', "A  one")}, 514);
    test::CliRun r = Show({"power", file, "--raw"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(FirstLine(r.out), "Volts\tBat.Main:\t0\tform");
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 37);

    r = Show({"matrix", file});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(FirstLine(r.out), "Input/Rx\t21\t\tred");
    EXPECT_NE(r.out.find("Output/Tx\tK\t\tgrey\n"), std::string::npos);
    EXPECT_NE(r.out.find("\nConnection\tV\tU\tred\n"), std::string::npos);

    r = Show({"temp", file, "--json"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    const QJsonObject temp = QJsonDocument::fromJson(QByteArray::fromStdString(r.out)).object();
    EXPECT_EQ(temp["window"].toString(), "temp");
    EXPECT_EQ(temp["block"].toInt(), 1);
    EXPECT_FALSE(temp["fields"].toArray().isEmpty());
}

// --json: a field whose text is a decimal number carries it as a JSON number in "value"; texts
// such as hexadecimal counters or "---" have none. --records A-B gives one object per line for
// the blocks of the range the window draws.
TEST(ShowCommandTest, JsonNumbersAndRecordRanges) {
    const test::TempDir dir;
    Block514 e = Titled('E', "E  event");
    const std::string file = WriteFile(dir, "show_range.tlm",
                                       {Titled('A', "A  one"), e, Titled('A', "A  three"), Titled('A', "A  four")}, 512);
    test::CliRun r = Show({"status", file, "--json", "--block", "3"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const QJsonArray fields = QJsonDocument::fromJson(QByteArray::fromStdString(r.out)).object()["fields"].toArray();
    int numbers = 0;
    for (const QJsonValue& f : fields) {
        const QJsonObject o = f.toObject();
        const std::string text = o["text"].toString().trimmed().toStdString();
        const bool decimal = std::regex_match(text, std::regex(R"([-+]?([0-9]+\.?[0-9]*|\.[0-9]+))"));
        EXPECT_EQ(o.contains("value"), decimal) << text;
        if (decimal) {
            EXPECT_TRUE(o["value"].isDouble()) << text;
            EXPECT_DOUBLE_EQ(o["value"].toDouble(), std::stod(text)) << text;
            ++numbers;
        }
    }
    EXPECT_GE(numbers, 10);

    r = Show({"status", file, "--json", "--records", "2-4"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::istringstream lines(r.out);
    std::vector<int> blocks;
    for (std::string line; std::getline(lines, line);) {
        QJsonParseError error;
        const QJsonObject o = QJsonDocument::fromJson(QByteArray::fromStdString(line), &error).object();
        ASSERT_EQ(error.error, QJsonParseError::NoError) << line;
        blocks.push_back(o["block"].toInt());
    }
    EXPECT_EQ(blocks, (std::vector<int>{3, 4}));
    EXPECT_NE(r.err.find("1 block(s) of the range"), std::string::npos) << r.err;
    r = Show({"status", file, "--records", "3-"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(FirstLine(r.out), "# block 3");
    EXPECT_NE(r.out.find("# block 4\nHeader\tTitle\tA  four\tform\n"), std::string::npos) << r.out;
    for (const char* bad : {"0-2", "3-2", "x", "2"}) {
        r = Show({"status", file, "--records", bad});
        EXPECT_EQ(r.exitCode, 2) << bad;
    }
    EXPECT_EQ(Show({"status", file, "--records", "1-2", "--block", "1"}).exitCode, 2);
}

TEST(ShowCommandTest, BadInputGetsAMessage) {
    const test::TempDir dir;
    const std::string file = WriteFile(dir, "show_short.tlm", {Titled('A', "A")}, 512, 100);
    const std::string tiny = WriteFile(dir, "show_tiny.tlm", {}, 0, 300);
    struct Case {
        std::vector<std::string> args;
        int code;
        const char* message;
    };
    const Case cases[] = {
        {{"status", file, "--block", "2"}, 1, "no block 2"},
        {{"status", file, "--block", "0"}, 2, "--block"},
        {{"status", file, "--block", "x"}, 2, "--block"},
        {{"clock", file}, 2, "unknown window"},
        {{"matrix", file, "--raw"}, 2, "no raw mode"},
        {{"status", tiny}, 1, "less than one"},
        {{"status", dir.File("no_such_file.tlm")}, 1, "cannot open"},
        {{"status"}, 2, "give a window and a file"},
        {{"status", file, "--fast"}, 2, "unknown option"},
    };
    for (const auto& c : cases) {
        const test::CliRun r = Show(c.args);
        EXPECT_EQ(r.exitCode, c.code) << c.message;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
    // A trailing partial record is reported and left out.
    const test::CliRun r = Show({"status", file});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.err.find("File altered or incorrect length"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace orv
