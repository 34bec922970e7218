// The filter: kinds, CRCC modes, repeats, the FEC-time rule, the event rule, output names, the
// same-name case, overwrite and empty outputs; outputs checked against golden files.
#include <gtest/gtest.h>

#include <cstdio>

#include "files/telemetry_filter.h"
#include "fixture.h"
#include "golden.h"

namespace orv {
namespace {

using test::MakeABlock;
using test::MakeEBlock;
using test::StandardBlock;
using test::TempDir;
using test::With;

// Each record carries a sequence number at 300..301 so that only deliberate repeats are equal.
Block512 Seq(Block512 b, int seq) { return With(b, {{300, static_cast<std::uint8_t>(seq)}, {301, 0x5A}}); }

Block512 Fec(Block512 b) { return With(b, {{169, 'F'}, {170, 'E'}, {171, 'C'}}); }

std::vector<Block512> MixedLog() {
    const Block512 a1 = Seq(MakeABlock("2003-04-15  12:00:00"), 1);
    Block512 failedA = Seq(MakeABlock("2003-04-15  12:00:10"), 8);
    failedA[0] |= 0x80;
    Block512 modem512A = Seq(MakeABlock("2003-04-15  12:01:00"), 17);
    modem512A[0] |= 0x80;
    modem512A[1] |= 0x80;
    Block512 failedE = Seq(MakeEBlock("0006"), 18);
    failedE[0] |= 0x80;
    return {
        a1,
        a1,                                                    // 2, 3: repeats
        a1,
        Seq(MakeEBlock("0005"), 4),
        Seq(MakeEBlock("0045"), 5),                            // slot 5 again
        Seq(StandardBlock('K'), 6),
        Seq(StandardBlock('L'), 7),
        failedA,
        Seq(StandardBlock('D'), 9),
        Seq(MakeABlock("2003-04-15  12:00:20"), 10),
        Seq(Fec(MakeABlock("2003-04-15  12:00:20")), 11),      // FEC block repeating the time of 10
        a1,                                                    // 12: equal to 1, but not consecutive
        Seq(MakeEBlock("zz12"), 13),                           // no hexadecimal digits: slot 0
        Seq(MakeEBlock("0040"), 14),                           // slot 0 again
        Seq(StandardBlock('M'), 15),
        Seq(StandardBlock('N'), 16),
        modem512A,
        failedE,
        Seq(Fec(MakeABlock("2003-04-15  12:01:30")), 19),      // FEC block with a new time
    };
}

const char* KindName(FilterKind k) {
    switch (k) {
        case FilterKind::All: return "All";
        case FilterKind::A: return "A-blk";
        case FilterKind::D: return "D-blk";
        case FilterKind::E: return "Events";
        case FilterKind::K: return "Text";
    }
    return "?";
}

// Every kind and mode over the mixed log: each written record as "sequence:byte 0", which must
// otherwise equal its input record byte for byte.
TEST(FilterFile, GoldenOutputsOfEveryChoice) {
    TempDir dir;
    const auto blocks = MixedLog();
    test::WriteBytes(dir / "T030415.raw", test::Concat(blocks));
    std::string listing;
    for (CrccMode mode : {CrccMode::Filter, CrccMode::Ignore}) {
        for (FilterKind kind : {FilterKind::All, FilterKind::A, FilterKind::D, FilterKind::E, FilterKind::K}) {
            const std::string name = FilterOutputName("T030415.raw", kind, mode).name;
            const FilterResult r = FilterFile(dir / "T030415.raw", dir / name, kind, mode, {});
            ASSERT_TRUE(r.ran) << r.message;
            EXPECT_EQ(r.inputBlocks, blocks.size());
            listing += std::string(KindName(kind)) + (mode == CrccMode::Filter ? " Filter " : " Ignore ") + name + ":";
            const auto out = test::ReadBytes(dir / name);
            EXPECT_EQ(out.size(), r.writtenBlocks * 512);
            EXPECT_EQ(r.outputDeleted, out.empty());
            for (std::size_t k = 0; k < out.size() / 512; ++k) {
                const std::uint8_t* rec = out.data() + k * 512;
                const int seq = rec[300];
                const Block512& in = blocks[static_cast<std::size_t>(seq - 1)];
                EXPECT_TRUE(std::equal(rec + 1, rec + 512, in.begin() + 1)) << "record " << seq;
                char item[16];
                std::snprintf(item, sizeof item, " %d:%02X", seq, rec[0]);
                listing += item;
            }
            listing += "\n";
            std::filesystem::remove(dir / name);
        }
    }
    test::ExpectGolden("filter_outputs.txt", listing);
}

TEST(FilterRecords, RuleByRule) {
    struct Case {
        const char* what;
        std::vector<Block512> input;
        FilterKind kind;
        CrccMode mode;
        std::vector<int> written;  // sequence numbers
    };
    Block512 c1 = Seq(MakeABlock(), 1);
    c1[0] = 0xC1;
    Block512 m512 = Seq(MakeABlock(), 2);
    m512[0] |= 0x80;
    m512[1] |= 0x80;
    const Block512 e5 = Seq(MakeEBlock("0005"), 1);
    const Block512 e45 = Seq(MakeEBlock("0045"), 2);
    const Block512 e5again = Seq(MakeEBlock("0005"), 3);
    const Case cases[] = {
        {"three equal A blocks give one", {Seq(MakeABlock(), 1), Seq(MakeABlock(), 1), Seq(MakeABlock(), 1)},
         FilterKind::A, CrccMode::Filter, {1}},
        {"a marked A block is dropped under All in Filter mode", {c1}, FilterKind::All, CrccMode::Filter, {}},
        {"a marked A block counts as A in Ignore mode", {c1}, FilterKind::A, CrccMode::Ignore, {1}},
        {"512-byte modem: Ignore with All copies", {m512}, FilterKind::All, CrccMode::Ignore, {2}},
        {"512-byte modem: Ignore with A writes nothing", {m512}, FilterKind::A, CrccMode::Ignore, {}},
        {"512-byte modem: Filter writes nothing", {m512}, FilterKind::All, CrccMode::Filter, {}},
        {"one E block per slot", {e5, e45, e5again}, FilterKind::E, CrccMode::Filter, {1}},
        {"All ignores event slots", {e5, e45, e5again}, FilterKind::All, CrccMode::Filter, {1, 2, 3}},
        {"an FEC block first in the file is kept",
         {Seq(Fec(MakeABlock(std::string_view("\0\0", 2))), 1)}, FilterKind::A, CrccMode::Filter, {1}},
    };
    for (const auto& c : cases) {
        const MappedLogFile image = test::ImageOf(c.input);
        std::vector<int> written;
        const RecordWriter write = [&](std::span<const RecordRun> runs) {
            for (const RecordRun& run : runs)
                for (std::size_t k = 0; k < run.bytes; k += 512) written.push_back(run.data[k + 300]);
            return true;
        };
        const FilterCounts counts = FilterRecords(image, c.kind, c.mode, write);
        EXPECT_EQ(written, c.written) << c.what;
        EXPECT_EQ(counts.writtenBlocks, c.written.size()) << c.what;
    }
}

TEST(FilterRecords, FecTimeRuleNeedsAGoodPredecessor) {
    const Block512 a = Seq(MakeABlock("2003-04-15  12:00:20"), 1);
    const Block512 fec = Seq(Fec(MakeABlock("2003-04-15  12:00:20")), 2);
    Block512 badA = a;
    badA[0] = 0xC1;
    struct Case {
        std::vector<Block512> input;
        CrccMode mode;
        std::vector<std::pair<int, int>> written;  // sequence, byte 0
    } cases[] = {
        {{a, fec}, CrccMode::Filter, {{1, 0x41}}},                  // dropped
        {{a, fec}, CrccMode::Ignore, {{1, 0x41}, {2, 0xC1}}},       // kept, now marked
        {{badA, fec}, CrccMode::Ignore, {{1, 0xC1}, {2, 0x41}}},    // time repeated, but the first was bad
        {{badA, fec}, CrccMode::Filter, {{2, 0x41}}},               // first is not "A " here: times differ
    };
    for (const auto& c : cases) {
        std::vector<std::pair<int, int>> written;
        const RecordWriter write = [&](std::span<const RecordRun> runs) {
            for (const RecordRun& run : runs)
                for (std::size_t k = 0; k < run.bytes; k += 512) written.emplace_back(run.data[k + 300], run.data[k]);
            return true;
        };
        FilterRecords(test::ImageOf(c.input), FilterKind::All, c.mode, write);
        EXPECT_EQ(written, c.written);
    }
}

TEST(FilterOutputName, NamesAndTheSameNameCase) {
    struct Case {
        const char* input;
        FilterKind kind;
        CrccMode mode;
        const char* output;
        bool same;
    } cases[] = {
        {"T030415.raw", FilterKind::A, CrccMode::Filter, "A030415.tlm", false},
        {"T030415.raw", FilterKind::All, CrccMode::Ignore, "T030415.tlr", false},
        {"T030415.raw", FilterKind::K, CrccMode::Filter, "K030415.tlm", false},
        {"A030415.tlm", FilterKind::A, CrccMode::Filter, "030415.tlm", true},
        {"T030415.tlr", FilterKind::All, CrccMode::Ignore, "030415.tlr", true},
        {"ab", FilterKind::E, CrccMode::Filter, "Etlm", false},
    };
    for (const auto& c : cases) {
        const FilterName n = FilterOutputName(c.input, c.kind, c.mode);
        EXPECT_EQ(n.name, c.output) << c.input;
        EXPECT_EQ(n.sameName, c.same) << c.input;
    }
    EXPECT_TRUE(AcceptsDroppedFilterFile("x.RAW"));
    EXPECT_TRUE(AcceptsDroppedFilterFile("x.tlm"));
    EXPECT_FALSE(AcceptsDroppedFilterFile("x.tlr"));
}

TEST(FilterFile, OverwriteDamageSameFileAndEmptyOutput) {
    TempDir dir;
    test::WriteBytes(dir / "in.raw", test::Concat({Seq(MakeABlock(), 1), Seq(StandardBlock('D'), 2)}));
    test::WriteBytes(dir / "out.tlm", {1, 2, 3});
    int asked = 0;
    // No: nothing is touched.
    FilterResult r = FilterFile(dir / "in.raw", dir / "out.tlm", FilterKind::A, CrccMode::Filter,
                                [&](const std::filesystem::path&) { ++asked; return false; });
    EXPECT_FALSE(r.ran);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(test::ReadBytes(dir / "out.tlm").size(), 3U);
    // Yes: replaced.
    r = FilterFile(dir / "in.raw", dir / "out.tlm", FilterKind::A, CrccMode::Filter,
                   [&](const std::filesystem::path&) { return true; });
    EXPECT_TRUE(r.ran);
    EXPECT_EQ(r.writtenBlocks, 1U);
    EXPECT_EQ(test::ReadBytes(dir / "out.tlm").size(), 512U);
    // Nothing selected: the output is deleted.
    r = FilterFile(dir / "in.raw", dir / "e.tlm", FilterKind::E, CrccMode::Filter, {});
    EXPECT_TRUE(r.ran);
    EXPECT_TRUE(r.outputDeleted);
    EXPECT_FALSE(std::filesystem::exists(dir / "e.tlm"));
    // The output may not be the input itself, whatever the answer.
    r = FilterFile(dir / "in.raw", dir / "." / "in.raw", FilterKind::All, CrccMode::Filter,
                   [](const std::filesystem::path&) { return true; });
    EXPECT_FALSE(r.ran);
    EXPECT_EQ(r.message, kSameNameText);
    EXPECT_EQ(test::ReadBytes(dir / "in.raw").size(), 1024U);
    // A damaged input: the file error, nothing written.
    test::WriteBytes(dir / "bad.raw", std::vector<std::uint8_t>(1000, 0x41));
    r = FilterFile(dir / "bad.raw", dir / "bad.tlm", FilterKind::All, CrccMode::Filter, {});
    EXPECT_TRUE(r.damagedInput);
    EXPECT_EQ(r.message, "File error!\nFile altered or incorrect length");
    EXPECT_FALSE(std::filesystem::exists(dir / "bad.tlm"));
}

// An output that is a device is written, never deleted: not when it is "overwritten", not when
// nothing was selected.
TEST(FilterFile, DeviceOutputIsNeverRemoved) {
    if (!std::filesystem::exists("/dev/null")) GTEST_SKIP() << "no /dev/null";
    TempDir dir;
    test::WriteBytes(dir / "in.raw", test::Concat({Seq(MakeABlock(), 1), Seq(StandardBlock('D'), 2)}));
    FilterResult r = FilterFile(dir / "in.raw", "/dev/null", FilterKind::A, CrccMode::Filter,
                                [](const std::filesystem::path&) { return true; });
    EXPECT_TRUE(r.ran);
    EXPECT_EQ(r.writtenBlocks, 1U);
    r = FilterFile(dir / "in.raw", "/dev/null", FilterKind::E, CrccMode::Filter,
                   [](const std::filesystem::path&) { return true; });
    EXPECT_TRUE(r.ran);
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));
}

TEST(FilterFile, ProgressCanStopAndTheOutputGoes) {
    TempDir dir;
    std::vector<Block512> blocks;
    for (int k = 0; k < 40000; ++k) blocks.push_back(With(MakeABlock(), {{300, static_cast<std::uint8_t>(k)},
                                                                         {301, static_cast<std::uint8_t>(k >> 8)}}));
    test::WriteBytes(dir / "big.raw", test::Concat(blocks));
    std::vector<std::uint64_t> seen;
    FilterResult r = FilterFile(dir / "big.raw", dir / "big.tlm", FilterKind::A, CrccMode::Filter, {},
                                [&](std::uint64_t done, std::uint64_t total) {
                                    seen.push_back(done);
                                    EXPECT_EQ(total, 40000U);
                                    return true;
                                });
    EXPECT_TRUE(r.ran);
    EXPECT_EQ(r.writtenBlocks, 40000U);
    EXPECT_EQ(seen, (std::vector<std::uint64_t>{16384, 32768, 40000}));
    EXPECT_EQ(test::ReadBytes(dir / "big.tlm"), test::ReadBytes(dir / "big.raw"));
    r = FilterFile(dir / "big.raw", dir / "stop.tlm", FilterKind::A, CrccMode::Filter, {},
                   [](std::uint64_t, std::uint64_t) { return false; });
    EXPECT_FALSE(r.ran);
    EXPECT_FALSE(std::filesystem::exists(dir / "stop.tlm"));
}

}  // namespace
}  // namespace orv
