#include "files/event_grid.h"

#include <cmath>

#include "reception/settings_store.h"

namespace orv {

int AllowedEventBufferSize(long long n) {
    n = n / 8 * 8;
    if (n < 8) n = 8;
    if (n > 32) n = 32;
    return static_cast<int>(n);
}

int EventBufferSizeFromAnswer(std::string_view answer) {
    long long n = 16;
    if (!ParseWholeNumber(answer, n)) n = 16;
    return AllowedEventBufferSize(n);
}

bool EventGrid::SetBufferSize(int size) {
    const int n = AllowedEventBufferSize(size);
    if (n == bufferSize_) return false;
    bufferSize_ = n;
    capturedOk_.fill(false);
    capturedBad_.fill(false);
    return true;
}

void EventGrid::RecordEventBlock(bool crccStatus, int eventPointer, int eventNumber) {
    const auto n = static_cast<unsigned>(bufferSize_);
    if (crccStatus) {
        const auto target = static_cast<std::uint16_t>(eventPointer);
        while (gridPointer_ != target) {
            ++gridPointer_;
            const std::size_t slot = gridPointer_ % n;
            capturedOk_[slot] = false;
            capturedBad_[slot] = false;
        }
    }
    const std::size_t slot = static_cast<unsigned>(eventNumber) % n;
    (crccStatus ? capturedOk_ : capturedBad_)[slot] = true;
}

void EventGrid::ClearCapturedOk() {
    for (std::size_t i = 0; i <= 32; ++i) capturedOk_[i] = false;
}

EventGridPicture DrawEventGrid(const EventGrid& grid, int lastEventNumber, int eventPointer, double s) {
    const auto sc = [s](int v) { return static_cast<int>(std::trunc(v * s)); };
    const int n = grid.BufferSize();
    EventGridPicture pic;
    pic.clearWidth = sc(81);
    pic.clearHeight = sc(44);
    pic.width = sc(81);
    pic.height = sc(n * 10 / 8 + 1);
    for (int c = 0; c <= 8; ++c) {
        for (int r = 0; r <= n / 8; ++r) {
            pic.lines.push_back({{sc(0), sc(10 * r)}, {sc(10 * c), sc(10 * r)}, {sc(10 * c), sc(10 * r + 10)}});
        }
    }
    const auto cell = [&](int slot, int size, Rgb colour) {
        const int x = slot % 8 * 10 + 1;
        const int y = slot / 8 * 10 + 1;
        return PictureRect{sc(x), sc(y), sc(x + size), sc(y + size), colour};
    };
    for (int p = 0; p < n; ++p)
        if (!grid.CapturedOk(p) && grid.CapturedBad(p)) pic.fills.push_back(cell(p, 9, kGridGrey));
    for (int p = 0; p < n; ++p)
        if (grid.CapturedOk(p)) pic.fills.push_back(cell(p, 9, kGridNavy));
    pic.outlines.push_back(cell(static_cast<int>(static_cast<unsigned>(lastEventNumber) % static_cast<unsigned>(n)), 8,
                                kGridYellow));
    pic.outlines.push_back(
        cell(static_cast<int>(static_cast<unsigned>(eventPointer) % static_cast<unsigned>(n)), 8, kGridRed));
    return pic;
}

}  // namespace orv
