#pragma once
// The Event Grid of the Logging window: which slots of the spacecraft's event buffer the log
// holds, and the picture that shows it, computed as data for the window to paint.
#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "displays/display_content.h"  // Rgb

namespace orv {

inline constexpr Rgb kGridGrey{128, 128, 128};
inline constexpr Rgb kGridNavy{0, 0, 128};
inline constexpr Rgb kGridYellow{255, 255, 0};
inline constexpr Rgb kGridRed{255, 0, 0};

inline constexpr int kMaxEventSlots = 34;

// The event buffer sizes the grid can show, 8, 16, 24 or 32: `n` rounded down to a multiple of 8,
// then kept within 8..32 ("20" gives 16, "5" gives 8, "40" gives 32).
int AllowedEventBufferSize(long long n);
// "Event Buffer Size" from the operator's answer: 16 when not a whole number, else allowed as above.
int EventBufferSizeFromAnswer(std::string_view answer);

class EventGrid {
public:
    // Sizes are taken as AllowedEventBufferSize gives them, so every slot lies within the marks.
    explicit EventGrid(int bufferSize = 16) : bufferSize_(AllowedEventBufferSize(bufferSize)) {}

    int BufferSize() const { return bufferSize_; }
    // Sets N (allowed as above); when it changes every mark is cleared. True when it changed.
    bool SetBufferSize(int n);

    // An E block went into the log. With a good CRCC the slots the spacecraft has moved past
    // since the last E block (grid pointer up to the event pointer) are forgotten first; then
    // the block's slot is marked captured OK (good CRCC) or captured bad.
    void RecordEventBlock(bool crccStatus, int eventPointer, int eventNumber);

    // The Logging window closed: the captured-OK marks 0..32 are cleared, the bad ones stay.
    void ClearCapturedOk();

    bool CapturedOk(int slot) const { return capturedOk_[static_cast<std::size_t>(slot)]; }
    bool CapturedBad(int slot) const { return capturedBad_[static_cast<std::size_t>(slot)]; }
    std::uint16_t GridPointer() const { return gridPointer_; }

private:
    int bufferSize_;
    std::array<bool, kMaxEventSlots> capturedOk_{};
    std::array<bool, kMaxEventSlots> capturedBad_{};
    std::uint16_t gridPointer_ = 0;
};

struct PicturePoint {
    int x = 0, y = 0;
    bool operator==(const PicturePoint&) const = default;
};

// A rectangle from (left, top) to (right, bottom) as the window system's rectangle calls take
// it (the fill excludes the right and bottom edge, the outline is drawn within them).
struct PictureRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    Rgb colour;
    bool operator==(const PictureRect& o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom && colour.r == o.colour.r &&
               colour.g == o.colour.g && colour.b == o.colour.b;
    }
};

struct EventGridPicture {
    int clearWidth = 0, clearHeight = 0;            // the empty picture that clears the image first
    int width = 0, height = 0;                      // the picture of the grid
    std::vector<std::vector<PicturePoint>> lines;   // grey polylines of width 1, in drawing order
    std::vector<PictureRect> fills;                 // filled cells, in drawing order
    std::vector<PictureRect> outlines;              // yellow (last event) then red (event pointer)
};

// The picture of the grid: 8 columns by N/8 rows of 10 x 10 cells; grey cells hold only bad
// captures, navy cells good ones; yellow outlines the slot of the last logged event number,
// red the slot of the event pointer. Sizes are multiplied by the screen scale and truncated.
EventGridPicture DrawEventGrid(const EventGrid& grid, int lastEventNumber, int eventPointer, double screenScale);

}  // namespace orv
