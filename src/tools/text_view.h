#pragma once
// The text view of a block: 8 rows of 64 characters, bytes with bit 7 in inverse video, and the
// status line with the synchronisation and FEC figures in ADC reception.
#include <array>
#include <span>

#include "reception/block.h"

namespace orv {

struct TextCell {
    char c = ' ';
    bool inverse = false;
};

// The character and colours of each of the 512 bytes: control bytes and their bit-7 forms
// become blanks, bit 7 selects inverse video.
std::array<TextCell, kTelemetryBytes> TextViewCells(std::span<const std::uint8_t, kTelemetryBytes> bytes);

// Pixel geometry at screen scale s, each scaled coordinate truncated toward zero.
struct TextViewGeometry {
    explicit TextViewGeometry(float scale) : s(scale) {}
    float s;
    int Width() const;    // 517 x s
    int Height() const;   // 123 x s
    int CellX(int column) const;
    int CellY(int row) const;
    int CellRight(int column) const;   // exclusive end of the cell fill
    int CellBottom(int row) const;
    int FontPixelSize() const;         // the fixed-pitch font's cell height
};

inline constexpr int kRawWindowHeight = 181;            // without the status line
inline constexpr int kRawWindowHeightWithStatus = 208;  // with it

}  // namespace orv
