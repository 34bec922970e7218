#include "reception/form_placement.h"

#include <algorithm>

namespace orv {

void KeepFrameOnScreen(int& left, int& top, int width, int height, const std::vector<ScreenRect>& screens) {
    if (screens.empty()) return;
    const ScreenRect* screen = &screens.front();
    for (const ScreenRect& s : screens) {
        // The screen that holds the middle of the title bar.
        const int x = left + width / 2;
        if (x >= s.left && x < s.left + s.width && top >= s.top && top < s.top + s.height) {
            screen = &s;
            break;
        }
    }
    left = std::max(screen->left, std::min(left, screen->left + screen->width - width));
    top = std::max(screen->top, std::min(top, screen->top + screen->height - height));
}

}  // namespace orv
