// The loss report of an output: one line at the start of an episode, the count at most once a
// minute while it lasts, one line when writing works again, and the same again for a second
// episode.
#include <gtest/gtest.h>

#include "files/loss_report.h"

namespace orv {
namespace {

TEST(LossReportTest, EachEpisodeIsToldWithItsCounts) {
    LossReport r("KISS file", "frame", "frames");
    EXPECT_EQ(r.Written(), "");  // nothing to say before anything was lost
    EXPECT_EQ(r.StatusText(), "");
    // Each step: seconds, lost (0: a write that worked), the line said then.
    const struct {
        std::int64_t at;
        std::uint64_t lost;
        const char* line;
    } steps[] = {
        {1000, 1, "KISS file: disk full; 1 frame lost"},
        {1010, 1, ""},
        {1059, 3, ""},
        {1060, 1, "KISS file: 6 frames lost so far: disk full"},
        {1100, 1, ""},
        {1110, 0, "KISS file: writing again; 7 frames lost"},
        {1111, 0, ""},
        {1112, 1, "KISS file: disk full; 1 frame lost"},  // a second episode, told like the first
        {1113, 1, ""},
        {500, 1, "KISS file: 3 frames lost so far: disk full"},  // the clock set back does not silence it
        {501, 0, "KISS file: writing again; 3 frames lost"},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.at);
        EXPECT_EQ(s.lost > 0 ? r.Lost(s.at, "disk full", s.lost) : r.Written(), s.line);
        if (s.at == 1100) {
            EXPECT_EQ(r.StatusText(), "KISS file: 7 frames lost: disk full");
        }
    }
    EXPECT_FALSE(r.Failing());
    EXPECT_EQ(r.LostInEpisode(), 3U);
    EXPECT_EQ(r.LostInAll(), 10U);
    EXPECT_EQ(r.StatusText(), "KISS file: writing again; 3 frames lost");
}

}  // namespace
}  // namespace orv
