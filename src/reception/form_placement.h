#pragma once
// Where a window may stand on the screens: its frame (title bar included) is kept on a screen.
#include <vector>

namespace orv {

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

}  // namespace orv
