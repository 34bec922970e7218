// The sequential pass that filter, export and graph read a log with: batch by batch from the file,
// or in place from bytes in memory, each record with the one before and the byte after it; and a
// file cut shorter while it is read.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "files/channel_graph.h"
#include "files/telemetry_export.h"
#include "files/telemetry_filter.h"
#include "fixture.h"

namespace orv {
namespace {

using test::TempDir;

// Records whose every byte tells its record and address, and `tail` bytes of a partial record.
std::vector<std::uint8_t> NumberedBytes(std::size_t records, std::size_t tail) {
    std::vector<std::uint8_t> bytes(records * kRecordBytes + tail);
    for (std::size_t k = 0; k < bytes.size(); ++k) bytes[k] = static_cast<std::uint8_t>(k / kRecordBytes * 7 + k % 251);
    return bytes;
}

// Every batch over a file gives the same records, record before and byte after as the bytes held
// in memory do, for ranges that start and end inside, at and across batch boundaries.
TEST(SequentialPass, FileBatchesGiveEveryRecordWithItsNeighbours) {
    constexpr std::uint64_t kBatch = SequentialPass::kBatchRecords;
    TempDir dir;
    for (const std::size_t tail : {std::size_t{0}, std::size_t{3}}) {
        const std::vector<std::uint8_t> bytes = NumberedBytes(2 * kBatch + 300, tail);
        const MappedLogFile file = test::FileImageOf(dir / "log.raw", bytes);
        const MappedLogFile memory = MappedLogFile::FromBytes(bytes);
        ASSERT_TRUE(file.ReadsFile());
        ASSERT_FALSE(memory.ReadsFile());
        const std::uint64_t total = file.BlockCount();
        const std::pair<std::uint64_t, std::uint64_t> ranges[] = {
            {0, total}, {1, kBatch + 1}, {kBatch - 1, kBatch + 1}, {kBatch, 2 * kBatch}, {total - 1, total}, {5, 5}};
        for (const auto& [first, last] : ranges) {
            for (const MappedLogFile* image : {&file, &memory}) {
                SCOPED_TRACE("tail " + std::to_string(tail) + ", records " + std::to_string(first) + " to " +
                             std::to_string(last) + (image == &file ? ", file" : ", memory"));
                SequentialPass pass(*image, first, last);
                std::uint64_t next = first;
                while (pass.Next()) {
                    ASSERT_EQ(pass.Begin(), next);
                    ASSERT_GT(pass.End(), pass.Begin());
                    ASSERT_LE(pass.End() - pass.Begin(), kBatch);
                    for (std::uint64_t i = pass.Begin() == 0 ? 0 : pass.Begin() - 1; i < pass.End(); ++i)
                        ASSERT_TRUE(std::equal(pass.RecordData(i), pass.RecordData(i) + kRecordBytes,
                                               bytes.begin() + static_cast<std::ptrdiff_t>(i * kRecordBytes)))
                            << "record " << i;
                    for (std::uint64_t i = pass.Begin(); i < pass.End(); ++i) {
                        ASSERT_EQ(pass.NextByte(i, 511), image->NextByte(i, 511)) << "record " << i;
                        ASSERT_EQ(pass.NextByte(i, 40), image->NextByte(i, 40)) << "record " << i;
                    }
                    next = pass.End();
                }
                EXPECT_EQ(next, std::max(first, last));
                EXPECT_EQ(pass.Error(), "");
            }
        }
        // The byte after the last record: the partial record's first byte, or 0.
        EXPECT_EQ(memory.NextByte(total - 1, 511), tail == 0 ? 0 : bytes[total * kRecordBytes]);
    }
}

// A log cut shorter after it was opened: each command says so instead of crashing on the mapping,
// and an output file is not left behind. Only a partial record cut from the end is no loss.
TEST(SequentialPass, ALogCutShorterWhileItIsReadIsReported) {
    TempDir dir;
    const auto path = dir / "A030415.tlm";
    std::vector<Block512> blocks(3 * SequentialPass::kBatchRecords, test::MakeABlock());
    const std::vector<std::uint8_t> bytes = test::Concat(blocks);
    const auto cut = [&](const MappedLogFile& image, std::uint64_t length) {
        EXPECT_TRUE(image.IsOpen());
        std::filesystem::resize_file(path, length);
    };
    const std::uint64_t shorter = SequentialPass::kBatchRecords * kRecordBytes + 100;
    {
        const MappedLogFile image = test::FileImageOf(path, bytes);
        cut(image, shorter);
        const FilterCounts counts = FilterRecords(image, FilterKind::All, CrccMode::Filter, [](auto) { return true; });
        EXPECT_EQ(counts.readError, "the file became shorter while it was read");
    }
    {
        const MappedLogFile image = test::FileImageOf(path, bytes);
        cut(image, shorter);
        ExportPlan plan;
        plan.channels[0] = {300, 255};
        plan.stop = static_cast<std::uint32_t>(blocks.size());
        const ExportResult r = ExportFile(image, plan, dir / "export.txt");
        EXPECT_FALSE(r.written);
        EXPECT_EQ(r.readError, "the file became shorter while it was read");
        EXPECT_FALSE(std::filesystem::exists(dir / "export.txt"));
    }
    {
        const MappedLogFile image = test::FileImageOf(path, bytes);
        cut(image, shorter);
        GraphInput input;
        input.addressText = "300";
        input.startText = "1";
        input.stopText = std::to_string(blocks.size());
        const GraphOutcome out = GraphChannel(image, input, 1.0);
        EXPECT_FALSE(out.plot);
        EXPECT_TRUE(out.fileFault);
        EXPECT_EQ(out.message, "Cannot read the file: the file became shorter while it was read");
    }
    {
        // The export and the graph take the whole records of a log that ends in a partial one.
        std::vector<std::uint8_t> torn = bytes;
        torn.resize(torn.size() + 100, 'A');
        const MappedLogFile image = test::FileImageOf(path, torn);
        cut(image, bytes.size());
        ExportPlan plan;
        plan.channels[0] = {511, 255};
        plan.stop = static_cast<std::uint32_t>(blocks.size());
        EXPECT_TRUE(ExportFile(image, plan, dir / "export.txt").written);
    }
}

}  // namespace
}  // namespace orv
