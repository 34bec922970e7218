// The same frame twice within the window is a duplicate; after the window, or with one byte
// changed, it is a frame of its own.
#include <gtest/gtest.h>

#include "forward/duplicate_filter.h"
#include "forward_blocks.h"

namespace orv {
namespace {

TEST(DuplicateFilterTest, SameFrameWithinTheWindowOnly) {
    DuplicateFilter filter(60);
    const Block514 a = test::ForwardBlock(1);
    Block514 b = a;
    b[300] ^= 1;
    const struct {
        const Block514* frame;
        std::int64_t t;
        bool duplicate;
    } steps[] = {
        {&a, 1000, false}, {&a, 1000, true},   // two inputs at once
        {&b, 1010, false}, {&a, 1059, true},   // one byte apart: another frame
        {&a, 1060, false},                     // the window runs from the first sighting
        {&b, 1070, false}, {&b, 1071, true},
    };
    for (const auto& s : steps) EXPECT_EQ(filter.SeenRecently(*s.frame, s.t), s.duplicate) << s.t;
    EXPECT_EQ(filter.Duplicates(), 3U);
}

TEST(DuplicateFilterTest, RemembersABoundedNumberOfFrames) {
    DuplicateFilter filter(3600);
    for (std::uint32_t n = 0; n <= DuplicateFilter::kMaxRemembered; ++n)
        EXPECT_FALSE(filter.SeenRecently(test::ForwardBlock(n), 1000));
    // The oldest was forgotten to keep the bound; the newest is still known.
    EXPECT_FALSE(filter.SeenRecently(test::ForwardBlock(0), 1001));
    EXPECT_TRUE(filter.SeenRecently(test::ForwardBlock(DuplicateFilter::kMaxRemembered), 1001));
}

}  // namespace
}  // namespace orv
