#include <gtest/gtest.h>

#include "ui/form_placement.h"

namespace orv {
namespace {

const std::vector<ScreenRect> kScreen{{0, 0, 1024, 768}};
const ScreenRect kMain{10, 10, 330, 160};

TEST(PlaceFrame, StoredPositionsAreKeptOnlyWhenWholeOnScreenAndOffTheMainWindow) {
    struct Case {
        const char* what;
        ScreenRect stored;
        bool kept;
    };
    const Case cases[] = {
        {"beside the main window", {400, 300, 200, 150}, true},
        {"touching the main window's right edge", {340, 10, 200, 150}, true},
        {"over another window: the operator's choice", {700, 500, 200, 150}, true},
        {"over the main window's check boxes", {250, 60, 200, 150}, false},
        {"off the right edge", {900, 300, 200, 150}, false},
        {"title bar above the screen", {500, -5, 200, 150}, false},
        {"on a screen that is gone", {2000, 100, 200, 150}, false},
    };
    const TakenPlaces taken{kMain, {{650, 450, 300, 250}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const ScreenRect f = PlaceFrame(c.stored, 200, 150, taken, kScreen, 0);
        EXPECT_TRUE(LiesOnAScreen(f, kScreen));
        EXPECT_FALSE(Overlap(f, kMain));
        EXPECT_EQ(f.left == c.stored.left && f.top == c.stored.top, c.kept);
    }
}

// New windows fill the free space from the screen's top left, none over another, the first right
// of the main window; only when the screen is full do they cascade, still on the screen, off the
// main window and each at a corner of its own.
TEST(PlaceFrame, NewWindowsGoIntoFreeSpaceAndCascadeOnlyWhenTheScreenIsFull) {
    TakenPlaces taken{kMain, {}};
    int free = 0;
    for (int i = 0; i < 14; ++i) {
        SCOPED_TRACE(i);
        const ScreenRect f = PlaceFrame(std::nullopt, 300, 250, taken, kScreen, static_cast<int>(taken.windows.size()) % 8);
        EXPECT_TRUE(LiesOnAScreen(f, kScreen));
        EXPECT_FALSE(Overlap(f, kMain));
        if (Free(f, taken)) {
            EXPECT_EQ(free, i) << "a free place after the screen was full";
            ++free;
        }
        for (const ScreenRect& p : taken.windows) EXPECT_FALSE(p.left == f.left && p.top == f.top);
        if (i == 0) {
            EXPECT_EQ(f.left, kMain.left + kMain.width + kBesideGap);
            EXPECT_EQ(f.top, 0);
        }
        taken.windows.push_back(f);
    }
    // 1024 x 768 holds at least six such frames beside the main window.
    EXPECT_GE(free, 6);
    EXPECT_LT(free, 14);
}

TEST(PlaceFrame, NoRoomBesideOrAPlaceOffTheMainWindowStillLiesOnTheScreen) {
    // A main window in the middle of a small screen: the frame finds the free space below it.
    const std::vector<ScreenRect> small{{0, 0, 800, 600}};
    const ScreenRect middle{300, 50, 330, 160};
    ScreenRect f = PlaceFrame(std::nullopt, 400, 300, {middle, {}}, small, 0);
    EXPECT_TRUE(LiesOnAScreen(f, small));
    EXPECT_FALSE(Overlap(f, middle));
    EXPECT_GE(f.top, middle.top + middle.height + kBesideGap);
    // A window larger than any free side: on the screen, overlapping as little as clamping allows.
    f = PlaceFrame(std::nullopt, 780, 580, {middle, {}}, small, 0);
    EXPECT_TRUE(LiesOnAScreen(f, small));
    // A second screen to the right: the window follows the main window's screen.
    const std::vector<ScreenRect> two{{0, 0, 800, 600}, {800, 0, 1280, 1024}};
    const ScreenRect onSecond{900, 40, 330, 160};
    f = PlaceFrame(std::nullopt, 300, 200, {onSecond, {}}, two, 0);
    EXPECT_TRUE(LiesOnAScreen(f, {two[1]}));
    EXPECT_FALSE(Overlap(f, onSecond));
    // No main window shown yet: the screen's corner, then free space beside what is there.
    f = PlaceFrame(std::nullopt, 300, 200, {}, kScreen, 0);
    EXPECT_EQ(f.left, 0);
    EXPECT_EQ(f.top, 0);
    f = PlaceFrame(std::nullopt, 300, 200, {{}, {f}}, kScreen, 1);
    EXPECT_FALSE(Overlap(f, {0, 0, 300, 200}));
}

}  // namespace
}  // namespace orv
