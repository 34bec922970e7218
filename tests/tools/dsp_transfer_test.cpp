#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/dsp_program.h"
#include "tools/dsp_transfer.h"

namespace orv {
namespace {

// Records what the transfer does, in order: "w<bytes>", "s<ms>", "p<percent>".
class RecordingLink final : public DspLink {
public:
    explicit RecordingLink(std::size_t failAfterWrites = SIZE_MAX) : failAfter_(failAfterWrites) {}
    bool Write(std::string_view bytes) override {
        if (writes_ == failAfter_) return false;
        ++writes_;
        sent += bytes;
        events.push_back(std::string(1, 'w').append(bytes));
        return true;
    }
    void Sleep(int ms) override {
        slept += ms;
        events.push_back(std::string(1, 's').append(std::to_string(ms)));
    }
    void Progress(int percent) override {
        progress.push_back(percent);
        events.push_back(std::string(1, 'p').append(std::to_string(percent)));
    }
    std::string Error() const override { return "refused"; }

    std::string sent;
    std::int64_t slept = 0;
    std::vector<int> progress;
    std::vector<std::string> events;

private:
    std::size_t failAfter_;
    std::size_t writes_ = 0;
};

TEST(DspTransfer, SequenceAndPacing) {
    const std::string text(250, 'x');
    RecordingLink link;
    ASSERT_TRUE(SendDspProgram(text, link));
    EXPECT_EQ(link.sent, std::string(kDspResetCommand) + text);
    // The reset command goes whole, then 2000 ms before the first program byte.
    ASSERT_GE(link.events.size(), 3u);
    EXPECT_EQ(link.events[0], std::string(1, 'w').append(kDspResetCommand));
    EXPECT_EQ(link.events[1], "s2000");
    // Byte 0: 1 ms, 40 ms, progress 0; byte 1: 1 ms only.
    const std::vector<std::string> start{"wx", "s1", "s40", "p0", "wx", "s1", "wx"};
    EXPECT_EQ(std::vector<std::string>(link.events.begin() + 2, link.events.begin() + 9), start);
    // Progress after bytes 0, 100 and 200, then 100 at the end; 1000 ms before the port closes.
    EXPECT_EQ(link.progress, (std::vector<int>{0, 40, 80, 100}));
    EXPECT_EQ(link.events.back(), "s1000");
    EXPECT_EQ(link.slept, 2000 + 250 + 3 * 40 + 1000);
    EXPECT_EQ(link.slept, DspMinimumDurationMs(text.size()));
}

TEST(DspTransfer, MinimumDuration) {
    EXPECT_EQ(DspMinimumDurationMs(0), 3000);
    EXPECT_EQ(DspMinimumDurationMs(1), 3000 + 1 + 40);
    EXPECT_EQ(DspMinimumDurationMs(100), 3000 + 100 + 40);
    EXPECT_EQ(DspMinimumDurationMs(101), 3000 + 101 + 80);
}

TEST(DspTransfer, StopsAtAFailedWrite) {
    RecordingLink link(3);  // the reset command and two program bytes get through
    EXPECT_FALSE(SendDspProgram("abcdef", link));
    EXPECT_EQ(link.sent, std::string(kDspResetCommand) + "ab");
    EXPECT_EQ(link.events.back().substr(0, 1), "s");  // no progress 100, no closing pause
    EXPECT_EQ(std::count(link.progress.begin(), link.progress.end(), 100), 0);
}

}  // namespace
}  // namespace orv
