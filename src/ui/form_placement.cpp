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

bool Free(const ScreenRect& frame, const TakenPlaces& taken) {
    if (Overlap(frame, taken.mainWindow)) return false;
    return std::none_of(taken.windows.begin(), taken.windows.end(),
                        [&](const ScreenRect& w) { return Overlap(frame, w); });
}

namespace {

// The first free place for a frame in reading order (the highest, then the furthest left), or
// nothing when the screen has none. The places tried are the screen's edges and the sides of the
// taken frames, a gap apart: windows fill the screen from its top left, each against its
// neighbours, and leave the free space in one piece for the next.
std::optional<ScreenRect> FreePlace(int width, int height, const TakenPlaces& taken, const ScreenRect& screen) {
    std::vector<int> lefts{screen.left, screen.left + screen.width - width};
    std::vector<int> tops{screen.top, screen.top + screen.height - height};
    std::vector<ScreenRect> frames = taken.windows;
    if (taken.mainWindow.width > 0) frames.push_back(taken.mainWindow);
    for (const ScreenRect& f : frames) {
        lefts.insert(lefts.end(), {f.left, f.left + f.width + kBesideGap, f.left - kBesideGap - width});
        tops.insert(tops.end(), {f.top, f.top + f.height + kBesideGap, f.top - kBesideGap - height});
    }
    std::sort(lefts.begin(), lefts.end());
    std::sort(tops.begin(), tops.end());
    for (int top : tops) {
        for (int left : lefts) {
            const ScreenRect frame{left, top, width, height};
            if (LiesOnAScreen(frame, {screen}) && Free(frame, taken)) return frame;
        }
    }
    return std::nullopt;
}

}  // namespace

namespace {

// The frame beside the main window `k` (right, else below, left, above), moved `steps` cascade
// steps down and right and kept whole on `screen`.
ScreenRect Cascade(int width, int height, const ScreenRect& k, const ScreenRect& screen, int steps) {
    const int shift = steps * kCascadeStep;
    if (k.width <= 0 || k.height <= 0) {
        ScreenRect frame{screen.left + shift, screen.top + shift, width, height};
        Clamp(frame, screen);
        return frame;
    }
    const ScreenRect candidates[] = {
        {k.left + k.width + kBesideGap + shift, k.top + shift, width, height},   // right
        {k.left + shift, k.top + k.height + kBesideGap + shift, width, height},  // below
        {k.left - kBesideGap - width - shift, k.top + shift, width, height},     // left
        {k.left + shift, k.top - kBesideGap - height - shift, width, height},    // above
    };
    for (ScreenRect frame : candidates) {
        // A cascade that runs past the screen's edge slides back along it, still beside the main window.
        Clamp(frame, screen);
        if (!Overlap(frame, k)) return frame;
    }
    ScreenRect frame = candidates[0];
    Clamp(frame, screen);
    return frame;
}

}  // namespace

ScreenRect PlaceFrame(std::optional<ScreenRect> stored, int width, int height, const TakenPlaces& taken,
                      const std::vector<ScreenRect>& screens, int cascadeIndex) {
    const ScreenRect& k = taken.mainWindow;
    if (stored) {
        const ScreenRect frame{stored->left, stored->top, width, height};
        if (screens.empty() || (LiesOnAScreen(frame, screens) && !Overlap(frame, k))) return frame;
    }
    const bool hasMain = k.width > 0 && k.height > 0;
    const int first = std::max(0, cascadeIndex);
    if (screens.empty()) return {k.left + k.width + kBesideGap + first * kCascadeStep, k.top + first * kCascadeStep, width, height};
    const ScreenRect& screen = hasMain ? ScreenOf(k, screens) : screens.front();
    if (const auto free = FreePlace(width, height, taken, screen)) return *free;
    // The screen is full: the cascade, at the first step from `cascadeIndex` on where no window's
    // corner stands already.
    for (int step = 0; step < 8; ++step) {
        const ScreenRect frame = Cascade(width, height, k, screen, (first + step) % 8);
        const bool cornerTaken = std::any_of(taken.windows.begin(), taken.windows.end(), [&](const ScreenRect& w) {
            return w.left == frame.left && w.top == frame.top;
        });
        if (!cornerTaken) return frame;
    }
    return Cascade(width, height, k, screen, first % 8);
}

}  // namespace orv
