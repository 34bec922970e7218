#include <gtest/gtest.h>

#include <string>

#include "net/block_line.h"
#include "test_blocks.h"

namespace orv {
namespace {

TEST(BlockLine, UtcTimeKindVerdictAndForABlocksTheHeaderDateAndTime) {
    const std::int64_t t = 1'796'869'479;  // 2026-12-10 02:24:39 UTC
    Block514 a = test::NumberedBlock(1);
    const std::string date = "2003-12-30", time = "14:05:09";
    std::copy(date.begin(), date.end(), a.begin() + 36);
    std::copy(time.begin(), time.end(), a.begin() + 48);
    Block514 failed = a;
    failed[0] |= kFailedMark;
    Block514 garbled = a;
    garbled[37] = ' ';
    garbled[40] = '\n';
    garbled[55] = 0xE9;
    Block514 text = test::NumberedBlock(2, 'K');
    Block514 noise = a;
    noise[0] = 0x0A;

    const std::pair<std::string, std::string> cases[] = {
        {BlockLine(a, "OK", t), "2026-12-10T02:24:39Z A OK 2003-12-30 14:05:09"},
        {BlockLine(failed, "FAIL", t), "2026-12-10T02:24:39Z A FAIL 2003-12-30 14:05:09"},
        // Each field stays one word on one line whatever the header holds.
        {BlockLine(garbled, "NA", t), "2026-12-10T02:24:39Z A NA 2?03?12-30 14:05:0?"},
        {BlockLine(text, "OK", t), "2026-12-10T02:24:39Z K OK"},
        {BlockLine(noise, "FAIL", 0), "1970-01-01T00:00:00Z ? FAIL"},
    };
    for (const auto& [line, expected] : cases) EXPECT_EQ(line, expected);
}

}  // namespace
}  // namespace orv
