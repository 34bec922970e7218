#pragma once
// Where a window may stand on the screens: its frame (title bar included) is kept on a screen, and
// windows without a usable stored place are put beside the main window, one after the other.
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

// Where a window's frame of `width` x `height` goes. A `stored` top-left corner is kept when the
// frame there lies whole on a screen and off `keepClear` (the main window's frame; width 0 when
// there is none yet). Otherwise the frame is put beside `keepClear` (to its right, else below, to
// its left, above), moved `cascadeIndex` steps down and right so that windows placed one after
// the other do not hide each other, and kept whole on the screen that holds `keepClear`. When no
// side has room the frame still lies on the screen, as close as it fits. With no screens the
// stored corner (or the cascade beside `keepClear`) is returned unchecked.
ScreenRect PlaceFrame(std::optional<ScreenRect> stored, int width, int height, const ScreenRect& keepClear,
                      const std::vector<ScreenRect>& screens, int cascadeIndex);

}  // namespace orv
