#include "tools/text_view.h"


namespace orv {

std::array<TextCell, kTelemetryBytes> TextViewCells(std::span<const std::uint8_t, kTelemetryBytes> bytes) {
    std::array<TextCell, kTelemetryBytes> cells{};
    for (std::size_t i = 0; i < kTelemetryBytes; ++i) {
        int c = bytes[i];
        bool inverse = false;
        if (c < 0x20) c = 0x20;
        if (c > 0x7F) {
            c -= 0x80;
            if (c < 0x20) c = 0x20;
            inverse = true;
        }
        cells[i] = {static_cast<char>(c), inverse};
    }
    return cells;
}

int TextViewGeometry::Width() const { return static_cast<int>(517 * s); }
int TextViewGeometry::Height() const { return static_cast<int>(123 * s); }
int TextViewGeometry::CellX(int column) const { return static_cast<int>(column * 8 * s + 2); }
int TextViewGeometry::CellY(int row) const { return static_cast<int>(row * 15 * s + 3); }
int TextViewGeometry::CellRight(int column) const { return static_cast<int>(CellX(column) + 8 * s); }
int TextViewGeometry::CellBottom(int row) const { return static_cast<int>(CellY(row) + 11 * s); }
int TextViewGeometry::FontPixelSize() const { return static_cast<int>(12 * s); }

}  // namespace orv
