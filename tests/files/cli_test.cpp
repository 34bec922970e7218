// orv-cli filter, export and graph run as a user runs them: outputs, exit codes, messages.
#include <gtest/gtest.h>

#include <cstdlib>

#include "files/channel_graph.h"
#include "fixture.h"
#include "orv_cli_run.h"

namespace orv {
namespace {

using test::CliRun;
using test::MakeABlock;
using test::RunOrvCli;
using test::StandardBlock;
using test::TempDir;
using test::With;

// Nine A blocks with a rising channel at 300, MA = block number, orbit 1000 + block; a K block
// and a marked A block at the end.
std::vector<Block512> Log() {
    std::vector<Block512> blocks;
    for (int n = 1; n <= 9; ++n) {
        blocks.push_back(With(MakeABlock("2003-04-15  12:00:00"),
                              {{300, static_cast<std::uint8_t>(10 * n)}, {421, static_cast<std::uint8_t>(n)},
                               {422, static_cast<std::uint8_t>((1000 + n) & 0xFF)},
                               {423, static_cast<std::uint8_t>((1000 + n) >> 8)}}));
    }
    blocks.push_back(StandardBlock('K'));
    Block512 marked = blocks[0];
    marked[0] = 0xC1;
    blocks.push_back(marked);
    return blocks;
}

TEST(CliFilter, CountsOverwriteAndDamage) {
    TempDir dir;
    test::WriteBytes(dir / "T030415.raw", test::Concat(Log()));
    CliRun r = RunOrvCli({"filter", dir.File("T030415.raw"), dir.File("A030415.tlm"), "--kind", "A"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "11 9\n");
    EXPECT_EQ(test::ReadBytes(dir / "A030415.tlm").size(), 9U * 512U);
    // An existing output without --force: an error, the file untouched.
    test::WriteBytes(dir / "A030415.tlm", {9, 9, 9});
    r = RunOrvCli({"filter", dir.File("T030415.raw"), dir.File("A030415.tlm")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("--force"), std::string::npos);
    EXPECT_EQ(test::ReadBytes(dir / "A030415.tlm").size(), 3U);
    r = RunOrvCli({"filter", dir.File("T030415.raw"), dir.File("A030415.tlm"), "--force", "--crcc", "ignore"});
    EXPECT_EQ(r.out, "11 11\n");
    // Nothing selected: no output file.
    r = RunOrvCli({"filter", dir.File("T030415.raw"), dir.File("E.tlm"), "--kind", "E"});
    EXPECT_EQ(r.out, "11 0\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "E.tlm"));
    // A damaged input: the file error and exit 1 (an input failure).
    auto bytes = test::Concat(Log());
    bytes.resize(1000);
    test::WriteBytes(dir / "bad.raw", bytes);
    r = RunOrvCli({"filter", dir.File("bad.raw"), dir.File("bad.tlm")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "orv-cli filter: \"" + dir.File("bad.raw") + "\": File error: File altered or incorrect length\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "bad.tlm"));
    r = RunOrvCli({"filter", dir.File("T030415.raw"), dir.File("x.tlm"), "--kind", "Q"});
    EXPECT_EQ(r.exitCode, 2);
}

TEST(CliExport, MasksFollowTheirAddress) {
    TempDir dir;
    test::WriteBytes(dir / "in.tlm", test::Concat(Log()));
    CliRun r = RunOrvCli({"export", dir.File("in.tlm"), dir.File("out.txt"), "--addr", "300", "--addr", "#12C", "--mask",
                          "#0F", "--start", "8", "--stop", "99"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(test::ReadText(dir / "out.txt"), "Blk#, Amsat Day, Telem. addr. = 300, #12C\r\n" + std::string(74, '-') +
                                                   "\r\n8, 9235.50000, 80.0, 0.0\r\n9, 9235.50000, 90.0, 10.0\r\n");
    r = RunOrvCli({"export", dir.File("in.tlm"), dir.File("out2.txt"), "--addr", "#"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err, "orv-cli export: Address #1 \"#\" is not a number (see orv-cli export --help)\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "out2.txt"));
    r = RunOrvCli({"export", dir.File("in.tlm"), dir.File("out2.txt"), "--mask", "15", "--addr", "300"});
    EXPECT_EQ(r.exitCode, 2);
}

// CSV: one header row of plain names, LF, the ISO 8601 UTC time of the block header beside the
// Amsat Day, numbers without padding; 0x addresses and masks read as # ones.
TEST(CliExport, CsvFormat) {
    TempDir dir;
    test::WriteBytes(dir / "in.tlm", test::Concat(Log()));
    CliRun r = RunOrvCli({"export", dir.File("in.tlm"), dir.File("out.csv"), "--addr", "300", "--addr", "0x12C",
                          "--mask", "0x0F", "--start", "8", "--stop", "99", "--format", "csv"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(test::ReadText(dir / "out.csv"),
              "block,time,amsat_day,addr_0x12C,addr_0x12C\n"
              "8,2003-04-15T12:00:00Z,9235.50000,80.0,0.0\n"
              "9,2003-04-15T12:00:00Z,9235.50000,90.0,10.0\n");
    r = RunOrvCli({"export", dir.File("in.tlm"), dir.File("x.csv"), "--addr", "1", "--format", "tsv"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("--format must be export or csv"), std::string::npos) << r.err;
}

// "-" for standard input and output: the same bytes as with files; the filter's counts go to
// stderr when the records go to stdout, and a pipe is read to its end.
TEST(CliStreams, ExportAndFilterThroughPipes) {
    TempDir dir;
    test::WriteBytes(dir / "in.raw", test::Concat(Log()));
    const std::string in = dir.File("in.raw");
    CliRun r = RunOrvCli({"export", in, dir.File("file.txt"), "--addr", "#12C", "--mask", "255"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    r = RunOrvCli({"export", "-", "-", "--addr", "0x12C", "--mask", "0xFF"}, in);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, test::ReadText(dir / "file.txt"));

    r = RunOrvCli({"filter", in, dir.File("A.tlm"), "--kind", "A"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string counts = r.out;
    r = RunOrvCli({"filter", "-", "-", "--kind", "A"}, in);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, counts);
    EXPECT_EQ(r.out, test::ReadText(dir / "A.tlm"));
    // A real pipe on both ends.
    const std::string piped = "cat '" + in + "' | '" + ORV_CLI + "' filter - - --kind A 2> /dev/null | cat > '" +
                              dir.File("piped.tlm") + "'";
    EXPECT_EQ(std::system(piped.c_str()), 0);
    EXPECT_EQ(test::ReadBytes(dir / "piped.tlm"), test::ReadBytes(dir / "A.tlm"));
    // A damaged stream is refused as a damaged file is, and nothing is written.
    auto bytes = test::Concat(Log());
    bytes.resize(1000);
    test::WriteBytes(dir / "bad.raw", bytes);
    r = RunOrvCli({"filter", "-", dir.File("bad.tlm")}, dir.File("bad.raw"));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "orv-cli filter: standard input: File error: File altered or incorrect length\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "bad.tlm"));
}

TEST(CliGraph, LabelsInWindowOrderAndMessages) {
    TempDir dir;
    auto blocks = Log();
    blocks.resize(9);
    test::WriteBytes(dir / "a.tlm", test::Concat(blocks));
    CliRun r = RunOrvCli({"graph", dir.File("a.tlm"), "--addr", "300", "--png", dir.File("g.png")});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "90.0\n70.0\n50.0\n30.0\n10.0\nMA 1\n3\n5\n7\nMA 9\nStart Orbit# 1005\n");
    EXPECT_EQ(r.err, "");
    const auto png = test::ReadBytes(dir / "g.png");
    ASSERT_GT(png.size(), 8U);
    EXPECT_EQ(std::string(png.begin() + 1, png.begin() + 4), "PNG");
    // The picture at twice the window's size (IHDR: width and height, big-endian).
    ASSERT_GT(png.size(), 24U);
    const auto be32 = [&](std::size_t at) { return png[at] << 24 | png[at + 1] << 16 | png[at + 2] << 8 | png[at + 3]; };
    EXPECT_EQ(be32(16), 2 * (kGraphPictureWidth + 8));
    EXPECT_EQ(be32(20), 2 * (kGraphPictureHeight + 2));
    // Without a font for the labels the picture is refused, not written without them.
    const test::TempDir fonts;
    test::WriteText(fonts / "fonts.conf", "<?xml version=\"1.0\"?>\n<fontconfig></fontconfig>\n");
    setenv("FONTCONFIG_FILE", fonts.File("fonts.conf").c_str(), 1);
    r = RunOrvCli({"graph", dir.File("a.tlm"), "--addr", "300", "--png", dir.File("nofont.png")});
    unsetenv("FONTCONFIG_FILE");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("no font for the labels"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(dir / "nofont.png"));
    r = RunOrvCli({"graph", dir.File("a.tlm"), "--addr", "600"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err, "orv-cli graph: Improper data address entered! (see orv-cli graph --help)\n");
    r = RunOrvCli(
        {"graph", dir.File("a.tlm"), "--addr", "300", "--start", "4", "--stop", "2", "--png", dir.File("no.png")});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err, "orv-cli graph: Stop Blk# is below Start Blk#! (see orv-cli graph --help)\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "no.png"));
    // Translated: the channel as its display caption names it.
    r = RunOrvCli({"graph", dir.File("a.tlm"), "--addr", "#140", "--trans"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out.substr(0, r.out.find('\n')), "-67.0");  // -69.72 everywhere: -69 and -70, stretched to -67 and -71
    test::WriteBytes(dir / "k.tlm", test::Concat(Log()));
    r = RunOrvCli({"graph", dir.File("k.tlm"), "--addr", "300"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "orv-cli graph: This telemetry file contains non-A blocks Please filter before graphing!\n");
}

}  // namespace
}  // namespace orv
