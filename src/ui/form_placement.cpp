#include "ui/form_placement.h"

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

bool Overlap(const ScreenRect& a, const ScreenRect& b) {
    if (a.width <= 0 || a.height <= 0 || b.width <= 0 || b.height <= 0) return false;
    return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height &&
           b.top < a.top + a.height;
}

bool LiesOnAScreen(const ScreenRect& frame, const std::vector<ScreenRect>& screens) {
    return std::any_of(screens.begin(), screens.end(), [&](const ScreenRect& s) {
        return frame.left >= s.left && frame.top >= s.top && frame.left + frame.width <= s.left + s.width &&
               frame.top + frame.height <= s.top + s.height;
    });
}

namespace {

// The screen holding the middle of `r`, else the first.
const ScreenRect& ScreenOf(const ScreenRect& r, const std::vector<ScreenRect>& screens) {
    const int x = r.left + r.width / 2;
    const int y = r.top + r.height / 2;
    for (const ScreenRect& s : screens)
        if (x >= s.left && x < s.left + s.width && y >= s.top && y < s.top + s.height) return s;
    return screens.front();
}

// Moves `frame` into `screen` as far as it fits (its top-left corner stays on the screen).
void Clamp(ScreenRect& frame, const ScreenRect& screen) {
    frame.left = std::max(screen.left, std::min(frame.left, screen.left + screen.width - frame.width));
    frame.top = std::max(screen.top, std::min(frame.top, screen.top + screen.height - frame.height));
}

}  // namespace

ScreenRect PlaceFrame(std::optional<ScreenRect> stored, int width, int height, const ScreenRect& keepClear,
                      const std::vector<ScreenRect>& screens, int cascadeIndex) {
    if (stored) {
        const ScreenRect frame{stored->left, stored->top, width, height};
        if (screens.empty() || (LiesOnAScreen(frame, screens) && !Overlap(frame, keepClear))) return frame;
    }
    const int shift = std::max(0, cascadeIndex) * kCascadeStep;
    const ScreenRect& k = keepClear;
    const bool hasMain = k.width > 0 && k.height > 0;
    const ScreenRect candidates[] = {
        {k.left + k.width + kBesideGap + shift, k.top + shift, width, height},    // right
        {k.left + shift, k.top + k.height + kBesideGap + shift, width, height},   // below
        {k.left - kBesideGap - width - shift, k.top + shift, width, height},      // left
        {k.left + shift, k.top - kBesideGap - height - shift, width, height},     // above
    };
    if (screens.empty()) return candidates[0];
    const ScreenRect& screen = hasMain ? ScreenOf(k, screens) : screens.front();
    if (!hasMain) {
        ScreenRect frame{screen.left + shift, screen.top + shift, width, height};
        Clamp(frame, screen);
        return frame;
    }
    for (ScreenRect frame : candidates) {
        // A cascade that runs past the screen's edge slides back along it, still beside the main window.
        Clamp(frame, screen);
        if (!Overlap(frame, keepClear)) return frame;
    }
    ScreenRect frame = candidates[0];
    Clamp(frame, screen);
    return frame;
}

}  // namespace orv
