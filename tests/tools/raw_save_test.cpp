#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "file_contents.h"
#include "temp_dir.h"
#include "tools/raw_save.h"

namespace orv {
namespace {

Block514 Current(std::uint8_t first, std::uint8_t second) {
    Block514 b{};
    b[0] = first;
    b[1] = second;
    return b;
}

TEST(RawSave, KindChoice) {
    using S = TextSelection;
    struct Case {
        S selection;
        std::uint8_t first, second;
        std::optional<CrccVerdict> verdict;
        bool replay;
        const char* kind;  // "" for nothing saved
        bool fromCurrent;
    };
    const Case cases[] = {
        {S::Raw, 'A', ' ', CrccVerdict::Ok, false, "A-blk", true},
        {S::Raw, 'E', ' ', CrccVerdict::NotChecked, false, "E-blk", true},
        {S::Raw, 'E', ' ', CrccVerdict::Fail, false, "", false},    // bad CRCC: no kind
        {S::Raw, 'E', ' ', std::nullopt, false, "", false},
        {S::Raw, 'A', 'x', CrccVerdict::Ok, false, "", false},      // not a standard block
        {S::Raw, 'Z', ' ', CrccVerdict::Ok, false, "", false},
        {S::Raw, 0xC1, ' ', CrccVerdict::Ok, false, "", false},     // failed mark: not "A"
        {S::Raw, 'K', ' ', CrccVerdict::Ok, false, "K-blk", false}, // K..N from their stored copies
        {S::Off, 'A', ' ', CrccVerdict::Ok, false, "", false},
        {S::K, 'A', ' ', CrccVerdict::Ok, false, "K-blk", false},   // the view's letter wins
        {S::N, 'Z', 'x', CrccVerdict::Fail, false, "N-blk", false},
        {S::Off, 'L', 'x', CrccVerdict::Fail, true, "L-blk", true}, // after a replay: always the current block
        {S::M, 'A', ' ', CrccVerdict::Ok, true, "M-blk", true},
        {S::Off, 'Q', ' ', CrccVerdict::Ok, true, "", false},
    };
    for (const Case& c : cases) {
        const Block514 current = Current(c.first, c.second);
        const auto choice = ChooseRawSave(c.selection, current, c.verdict, c.replay);
        const std::string where = std::string("byte 0 ") + std::to_string(c.first) + " verdict " +
                                  std::string(c.verdict ? VerdictText(*c.verdict) : "---");
        if (std::string(c.kind).empty()) {
            EXPECT_FALSE(choice) << where;
            continue;
        }
        ASSERT_TRUE(choice) << where;
        EXPECT_EQ(choice->kind, c.kind) << where;
        EXPECT_EQ(choice->fromCurrentBlock, c.fromCurrent) << where;
    }
}

TEST(RawSave, SourceBlock) {
    BlockStores stores;
    stores.current[5] = 1;
    stores.TextCopy('L')[5] = 2;
    RawSaveChoice fromCopy{"L-blk", false};
    RawSaveChoice fromCurrent{"L-blk", true};
    EXPECT_EQ(RawSaveSource(fromCopy, stores)[5], 2);
    EXPECT_EQ(RawSaveSource(fromCurrent, stores)[5], 1);
    EXPECT_EQ(RawSaveSource(fromCurrent, stores).size(), 512u);
}

TEST(RawSave, TextLines) {
    Block512 low{};
    for (std::size_t i = 0; i < low.size(); ++i) low[i] = static_cast<std::uint8_t>(i % 33);
    std::string expected;
    for (int line = 0; line < 8; ++line) expected += std::string(64, ' ') + "\r\n";
    EXPECT_EQ(RawSaveText(low), expected);

    Block512 mixed{};
    mixed.fill('A');
    mixed[0] = 32;
    mixed[1] = 33;
    mixed[2] = 0xFF;
    mixed[64] = '\n';
    const std::string text = RawSaveText(mixed);
    ASSERT_EQ(text.size(), 8u * 66u);
    EXPECT_EQ(text.substr(0, 4), " !\xFF" "A");
    EXPECT_EQ(text.substr(64, 3), "\r\n ");
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
}

TEST(RawSave, WritesAndReplacesFiles) {
    const test::TempDir folder;
    const std::filesystem::path& dir = folder.path();
    Block512 block{};
    block.fill('x');
    block[0] = 'A';
    const RawSaveChoice choice{"A-blk", true};
    { std::ofstream(dir / "A-blk.dat") << std::string(2000, 'z'); }  // an earlier, longer file

    EXPECT_EQ(SaveRawBlock(dir.string(), choice, block, false), "");
    EXPECT_EQ(test::ReadText(dir / "A-blk.dat"), std::string(block.begin(), block.end()));
    EXPECT_EQ(SaveRawBlock(dir.string(), choice, block, true), "");
    EXPECT_EQ(test::ReadText(dir / "A-blk.txt"), RawSaveText(block));

    // A file that cannot be created is reported, not passed over.
    EXPECT_NE(SaveRawBlock((dir / "missing").string(), choice, block, false), "");
}

}  // namespace
}  // namespace orv
