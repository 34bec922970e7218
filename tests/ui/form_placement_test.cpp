#include <gtest/gtest.h>

#include "ui/form_placement.h"

namespace orv {
namespace {

const std::vector<ScreenRect> kScreen{{0, 0, 1024, 768}};
const ScreenRect kMain{10, 10, 330, 160};

bool Clear(const ScreenRect& f) { return !Overlap(f, kMain); }

TEST(PlaceFrame, StoredPositionsAreKeptOnlyWhenWholeOnScreenAndOffTheMainWindow) {
    struct Case {
        const char* what;
        ScreenRect stored;
        bool kept;
    };
    const Case cases[] = {
        {"beside the main window", {400, 300, 200, 150}, true},
        {"touching the main window's right edge", {340, 10, 200, 150}, true},
        {"over the main window's check boxes", {250, 60, 200, 150}, false},
        {"off the right edge", {900, 300, 200, 150}, false},
        {"title bar above the screen", {500, -5, 200, 150}, false},
        {"on a screen that is gone", {2000, 100, 200, 150}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const ScreenRect f = PlaceFrame(c.stored, 200, 150, kMain, kScreen, 0);
        EXPECT_TRUE(LiesOnAScreen(f, kScreen));
        EXPECT_TRUE(Clear(f));
        EXPECT_EQ(f.left == c.stored.left && f.top == c.stored.top, c.kept);
    }
}

TEST(PlaceFrame, WindowsWithoutAPlaceCascadeBesideTheMainWindowAndStayOnTheScreen) {
    std::vector<ScreenRect> placed;
    for (int i = 0; i < 8; ++i) {
        const ScreenRect f = PlaceFrame(std::nullopt, 300, 250, kMain, kScreen, i);
        SCOPED_TRACE(i);
        EXPECT_TRUE(LiesOnAScreen(f, kScreen));
        EXPECT_TRUE(Clear(f));
        for (const ScreenRect& p : placed) EXPECT_FALSE(p.left == f.left && p.top == f.top);
        placed.push_back(f);
    }
    // The first stands right of the main window, level with it.
    EXPECT_EQ(placed[0].left, kMain.left + kMain.width + kBesideGap);
    EXPECT_EQ(placed[0].top, kMain.top);
}

TEST(PlaceFrame, NoRoomBesideOrAPlaceOffTheMainWindowStillLiesOnTheScreen) {
    // A main window in the middle of a small screen: right is too narrow, so below.
    const std::vector<ScreenRect> small{{0, 0, 800, 600}};
    const ScreenRect middle{300, 50, 330, 160};
    ScreenRect f = PlaceFrame(std::nullopt, 400, 300, middle, small, 0);
    EXPECT_TRUE(LiesOnAScreen(f, small));
    EXPECT_FALSE(Overlap(f, middle));
    EXPECT_EQ(f.top, middle.top + middle.height + kBesideGap);
    // A window larger than any free side: on the screen, overlapping as little as clamping allows.
    f = PlaceFrame(std::nullopt, 780, 580, middle, small, 0);
    EXPECT_TRUE(LiesOnAScreen(f, small));
    // A second screen to the right: the window follows the main window's screen.
    const std::vector<ScreenRect> two{{0, 0, 800, 600}, {800, 0, 1280, 1024}};
    const ScreenRect onSecond{900, 40, 330, 160};
    f = PlaceFrame(std::nullopt, 300, 200, onSecond, two, 0);
    EXPECT_TRUE(LiesOnAScreen(f, {two[1]}));
    EXPECT_FALSE(Overlap(f, onSecond));
    // No main window shown yet: from the screen's corner, cascaded.
    f = PlaceFrame(std::nullopt, 300, 200, {}, kScreen, 2);
    EXPECT_EQ(f.left, 2 * kCascadeStep);
    EXPECT_EQ(f.top, 2 * kCascadeStep);
}

}  // namespace
}  // namespace orv
