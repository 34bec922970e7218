#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>

#include "hex_records.h"
#include "tools/dsp_program.h"

namespace orv {
namespace {

using test::HexRecord;
constexpr const char* kEnd = test::kEndOfFileRecord;

TEST(DspProgram, WordsSplitIntoHighAndLowRecords) {
    const std::string input = std::string(":0812340001020304050607088E\r\n") + kEnd;
    const DspProgram p = ConvertDspProgram(input);
    ASSERT_TRUE(p.Ok()) << p.error;
    EXPECT_EQ(p.text, std::string("H:04091A0001030507C9\r\n") + kEnd + "L:04091A0002040608C5\r\n" + kEnd + "G\r\n");
}

TEST(DspProgram, EndRecordAlone) {
    const DspProgram p = ConvertDspProgram(kEnd);
    ASSERT_TRUE(p.Ok()) << p.error;
    EXPECT_EQ(p.text, std::string("H") + kEnd + "L" + kEnd + "G\r\n");
}

TEST(DspProgram, LowerCaseDataKept) {
    const DspProgram p = ConvertDspProgram(std::string(":04001000abcdef0184\r\n") + kEnd);
    ASSERT_TRUE(p.Ok()) << p.error;
    EXPECT_EQ(p.text, std::string("H:02000800abef5C\r\n") + kEnd + "L:02000800cd0128\r\n" + kEnd + "G\r\n");
}

TEST(DspProgram, TolerableLayout) {
    // Text before the first line starting with ":" is skipped; LF-only lines, blank lines, trailing
    // blanks and a closing Ctrl-Z are accepted.
    const std::string input =
        "DSP-93 assembler output: version 1\r\n; comment\r\n:0812340001020304050607088E  \n\r\n:00000001FF\n\x1A";
    const DspProgram p = ConvertDspProgram(input);
    ASSERT_TRUE(p.Ok()) << p.error;
    EXPECT_EQ(p.text, ConvertDspProgram(std::string(":0812340001020304050607088E\r\n") + kEnd).text);
}

TEST(DspProgram, MalformedInputIsRejectedNamingTheLine) {
    const std::string good = ":0812340001020304050607088E\r\n";
    struct Case {
        std::string input;
        const char* mentions;
    };
    const Case cases[] = {
        {"", "no Intel HEX record"},
        {"just text\r\n", "no Intel HEX record"},
        {good, "line 1: the file does not end with an end-of-file record"},   // would lose the last record
        {good + good, "line 2: the file does not end"},
        {":08123400010203\r\n" + std::string(kEnd), "line 1: the count 08 needs 27 characters"},  // truncated
        {":081234000102030405060708090A8E\r\n" + std::string(kEnd), "line 1: the count 08"},     // too long
        {":0812340001020G04050607088E\r\n" + std::string(kEnd), "line 1: character 15"},
        {":0000\r\n" + std::string(kEnd), "line 1: the record is too short"},
        {":\r\n" + std::string(kEnd), "line 1: the record is too short"},
        {good + "garbage\r\n" + kEnd, "line 2: a record must start with \":\""},
        {good + " " + kEnd, "line 2: a record must start"},
        {good + kEnd + good, "line 3: text after the end-of-file record on line 2"},
        {std::string(kEnd) + kEnd, "line 2: text after the end-of-file record"},
        {HexRecord(0x1234, {1, 2, 3}) + kEnd, "line 1: odd count 03"},
        {HexRecord(0x1235, {1, 2}) + kEnd, "line 1: odd address 1235"},
        {good + HexRecord(0, {0x12}, 1), "line 2: an end-of-file record carries no data"},
        {std::string(":0812340001\0""0304050607088E\r\n", 28) + kEnd, "line 1: character 12"},
    };
    for (const Case& c : cases) {
        const DspProgram p = ConvertDspProgram(c.input);
        EXPECT_FALSE(p.Ok()) << c.input;
        EXPECT_TRUE(p.text.empty());
        EXPECT_NE(p.error.find(c.mentions), std::string::npos) << "got: " << p.error;
    }
}

TEST(DspProgram, WrongInputChecksumsAreReportedAndTheRecordsConvertedWithFreshOnes) {
    const std::string good = ":0812340001020304050607088E\r\n";
    const DspProgram reference = ConvertDspProgram(good + kEnd);
    ASSERT_TRUE(reference.Ok());
    EXPECT_TRUE(reference.checksumWarnings.empty());

    const DspProgram p = ConvertDspProgram(":0812340001020304050607088F\r\n" + good + ":00000001FE\r\n");
    ASSERT_TRUE(p.Ok()) << p.error;
    EXPECT_EQ(p.checksumWarnings, (std::vector<std::string>{"line 1: checksum 8F is wrong, the record needs 8E",
                                                            "line 3: checksum FE is wrong, the record needs FF"}));
    EXPECT_EQ(p.text, ConvertDspProgram(good + good + kEnd).text);
    EXPECT_EQ(ChecksumWarningText(p), "line 1: checksum 8F is wrong, the record needs 8E\n"
                                      "line 3: checksum FE is wrong, the record needs FF\n");
    EXPECT_EQ(ChecksumWarningText(p, 1), "line 1: checksum 8F is wrong, the record needs 8E\n"
                                         "and 1 more records with a wrong checksum\n");
    EXPECT_EQ(ChecksumWarningText(reference), "");

    // What cannot be converted is still refused, wrong checksums or not.
    const DspProgram bad = ConvertDspProgram(":0812340001020304050607088F\r\n:0812340001020G04050607088E\r\n" + std::string(kEnd));
    EXPECT_FALSE(bad.Ok());
    EXPECT_NE(bad.error.find("line 2: character 15"), std::string::npos) << bad.error;
}

// Parses byte-wide records back into memory: address -> byte; checks each record's checksum.
void ReadBack(const std::string& records, std::map<unsigned, unsigned>& memory) {
    std::size_t pos = 0;
    while (pos < records.size()) {
        const std::size_t end = records.find("\r\n", pos);
        ASSERT_NE(end, std::string::npos);
        const std::string r = records.substr(pos, end - pos);
        pos = end + 2;
        ASSERT_EQ(r[0], ':');
        std::vector<unsigned> bytes;
        for (std::size_t i = 1; i + 1 < r.size(); i += 2) bytes.push_back(std::stoul(r.substr(i, 2), nullptr, 16));
        unsigned sum = 0;
        for (unsigned b : bytes) sum += b;
        ASSERT_EQ(sum % 256, 0u) << r;
        ASSERT_EQ(bytes.size(), bytes[0] + 5u) << r;
        if (bytes[3] == 1) continue;
        const unsigned address = bytes[1] * 256 + bytes[2];
        for (unsigned i = 0; i < bytes[0]; ++i) memory[address + i] = bytes[4 + i];
    }
}

TEST(DspProgram, ImagesHoldTheProgramWords) {
    std::mt19937 random(40);
    std::map<unsigned, unsigned> words;  // word address -> word
    std::string input;
    for (unsigned address = 0x0100; address < 0x0100 + 2 * 700; address += 32) {
        std::vector<unsigned> bytes;
        for (unsigned i = 0; i < 32; i += 2) {
            const unsigned word = random() & 0xFFFF;
            words[(address + i) / 2] = word;
            bytes.push_back(word >> 8);
            bytes.push_back(word & 0xFF);
        }
        input += HexRecord(address, bytes);
    }
    input += kEnd;
    const DspProgram p = ConvertDspProgram(input);
    ASSERT_TRUE(p.Ok()) << p.error;
    ASSERT_EQ(p.text.substr(0, 1), "H");
    const std::size_t l = p.text.find("L:");
    ASSERT_NE(l, std::string::npos);
    ASSERT_EQ(p.text.substr(p.text.size() - 3), "G\r\n");
    std::map<unsigned, unsigned> high, low;
    ReadBack(p.text.substr(1, l - 1), high);
    ReadBack(p.text.substr(l + 1, p.text.size() - 3 - (l + 1)), low);
    ASSERT_EQ(high.size(), words.size());
    ASSERT_EQ(low.size(), words.size());
    for (const auto& [address, word] : words) {
        EXPECT_EQ(high[address], word >> 8);
        EXPECT_EQ(low[address], word & 0xFF);
    }
}

TEST(DspProgram, FileErrors) {
    EXPECT_NE(ReadDspProgram("/nonexistent/x.obj").error.find("cannot open"), std::string::npos);
    EXPECT_NE(ReadDspProgram("/").error.find("directory"), std::string::npos);
}

}  // namespace
}  // namespace orv
