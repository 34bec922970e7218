#include <gtest/gtest.h>

#include <string>

#include "app/cli/block_printers.h"
#include "sealed_block.h"

namespace orv {
namespace {

ReceivedBlock Received(const Block514& bytes, CrccVerdict verdict, std::int64_t utcSeconds) {
    ReceivedBlock r;
    r.bytes = bytes;
    r.record = r.bytes.first(kTelemetryBytes);
    r.verdict = verdict;
    r.utcMilliseconds = utcSeconds * 1000 + 999;  // the line shows whole seconds
    return r;
}

TEST(BlockPrinters, StationLineIsUtcTimeKindVerdictAndForABlocksTheHeaderDateAndTime) {
    const std::int64_t t = 1'796'869'479;  // 2026-12-10 02:24:39 UTC
    Block514 a = test::SealedBlock('A', true, 0x31);
    const std::string date = "2003-12-30", time = "14:05:09";
    std::copy(date.begin(), date.end(), a.begin() + 36);
    std::copy(time.begin(), time.end(), a.begin() + 48);
    Block514 failed = a;
    failed[0] |= kFailedMark;
    Block514 garbled = a;
    garbled[37] = ' ';
    garbled[40] = '\n';
    garbled[55] = 0xE9;
    Block514 text = test::SealedBlock('K', true, 0x32);
    Block514 noise = a;
    noise[0] = 0x0A;

    const std::pair<std::string, std::string> cases[] = {
        {cli::StationLine(Received(a, CrccVerdict::Ok, t)), "2026-12-10T02:24:39Z A OK 2003-12-30 14:05:09"},
        {cli::StationLine(Received(failed, CrccVerdict::Fail, t)), "2026-12-10T02:24:39Z A FAIL 2003-12-30 14:05:09"},
        // Each field stays one word on one line whatever the header holds.
        {cli::StationLine(Received(garbled, CrccVerdict::NotChecked, t)),
         "2026-12-10T02:24:39Z A NA 2?03?12-30 14:05:0?"},
        {cli::StationLine(Received(text, CrccVerdict::Ok, t)), "2026-12-10T02:24:39Z K OK"},
        {cli::StationLine(Received(noise, CrccVerdict::Fail, 0)), "1970-01-01T00:00:00Z ? FAIL"},
        // The demo shows the header as text, the failed mark masked.
        {cli::DemoLine(Received(failed, CrccVerdict::Fail, t)).substr(0, 7), "A FAIL "},
    };
    for (const auto& [line, expected] : cases) EXPECT_EQ(line, expected);
}

}  // namespace
}  // namespace orv
