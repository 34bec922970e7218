#pragma once
// Where a window may stand on the screens: its frame (title bar included) is kept on a screen, and
// windows without a usable stored place go into free space beside the main window, cascading only
// when the screen is full.
#include <optional>
#include <vector>

namespace orv {

// A rectangle in pixels: a screen's available area or a window's frame.
struct ScreenRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// The frame's top-left corner nearest to (`left`, `top`) at which a frame of `width` x `height`
// lies on one of the `screens` (their available areas): on the screen holding the wanted title
// bar, or else the first screen. A frame larger than the screen keeps its top-left corner on it.
// With no screens the wanted corner is returned unchanged.
void KeepFrameOnScreen(int& left, int& top, int width, int height, const std::vector<ScreenRect>& screens);

// The rectangles share at least one pixel.
bool Overlap(const ScreenRect& a, const ScreenRect& b);

// `frame` lies whole on one of the `screens`.
bool LiesOnAScreen(const ScreenRect& frame, const std::vector<ScreenRect>& screens);

// Pixels between the main window and a window placed beside it, and between cascaded windows.
inline constexpr int kBesideGap = 8;
inline constexpr int kCascadeStep = 28;

// What a window being placed keeps clear of: the main window's frame (width 0 while there is none)
// and the frames of the program's other windows on the screen.
struct TakenPlaces {
    ScreenRect mainWindow;
    std::vector<ScreenRect> windows;
};

// `frame` overlaps none of the taken places.
bool Free(const ScreenRect& frame, const TakenPlaces& taken);

// Where a window's frame of `width` x `height` goes. A `stored` top-left corner is kept when the
// frame there lies whole on a screen and off the main window (the operator put it there).
// Otherwise the frame goes into free space on the main window's screen: the first place in reading
// order (highest, then furthest left) where it lies whole on the screen and overlaps neither the
// main window nor another window, trying the screen's edges and the places beside the windows
// already there. Only when the screen has no such place left is the frame put beside the
// main window (to its right, else below, to its left, above), moved `cascadeIndex` steps down and
// right, and kept whole on the screen. With no screens the stored corner (or the cascade beside
// the main window) is returned unchecked.
ScreenRect PlaceFrame(std::optional<ScreenRect> stored, int width, int height, const TakenPlaces& taken,
                      const std::vector<ScreenRect>& screens, int cascadeIndex);

}  // namespace orv
