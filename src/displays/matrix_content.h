#pragma once
// The IF matrix window (IfMatrixWindow): which receiver inputs are switched to which transmitter
// outputs, and which receivers and transmitters are on; and the geometry of its drawing.
#include <array>
#include <string_view>
#include <vector>

#include "displays/display_content.h"

namespace orv {

inline constexpr int kMatrixRows = 14;    // inputs, top to bottom
inline constexpr int kMatrixColumns = 7;  // outputs, left to right
inline constexpr std::string_view kMatrixInputGroup = "Input/Rx";
inline constexpr std::string_view kMatrixOutputGroup = "Output/Tx";

// Row captions ("21/24", "V", ... "Lei-2") and column captions ("V", ... "Lei-2"), 0-based.
extern const std::array<std::string_view, kMatrixRows> kMatrixRowNames;
extern const std::array<std::string_view, kMatrixColumns> kMatrixColumnNames;

// One set cell of the grid, 0-based row and column.
struct MatrixConnection {
    int row = 0;
    int column = 0;
};

// A caption at the edge of the drawing and its colour.
struct MatrixLabel {
    std::string_view caption;
    FieldColour colour = FieldColour::Form;
};

struct MatrixContent {
    std::vector<MatrixLabel> inputs;   // left edge, top to bottom ("21", "24", "V", ...)
    std::vector<MatrixLabel> outputs;  // bottom edge, left to right ("V", "U", "S1", "S2", "K", ...)
    std::array<std::array<bool, kMatrixColumns>, kMatrixRows> grid{};  // [row][column]
    std::vector<MatrixConnection> connections;                         // the set cells, row by row
};

const WindowInfo& MatrixWindowInfo();

// The content of one update (the raw flag of the input is not used).
MatrixContent MatrixFields(const DisplayInput& input);
// Before the first update: every caption in the form colour, no connection.
MatrixContent MatrixPlaceholder();

// The drawing at screen scale s (1 at 96 pixels per inch, else (pixels per inch + 1) / 96).
struct PixelPoint {
    int x = 0;
    int y = 0;
    bool operator==(const PixelPoint&) const = default;
};
struct PixelRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const PixelRect&) const = default;
};
// From the left edge along a row to its node, then down to the bottom edge.
using MatrixPath = std::array<PixelPoint, 3>;

struct MatrixPicture {
    int width = 0;                     // bitmap size, trunc(236 s) x trunc(318 s)
    int height = 0;
    std::vector<MatrixPath> greyPaths;  // every column and row: grey pen, width 1
    std::vector<MatrixPath> redPaths;   // every set cell: red pen, width 3
    std::vector<PixelRect> nodes;       // every set cell: filled black square
};

inline constexpr int kMatrixAreaWidth = 236;   // picture area at 96 pixels per inch
inline constexpr int kMatrixAreaHeight = 318;
inline constexpr int kMatrixAreaLeft = 50;     // its place in the client area
inline constexpr int kMatrixAreaTop = 28;

// The drawing factor u: s * 0.986 when s is not 1, else 1.
long double MatrixDrawingFactor(float s);
// Node of 0-based column and row at drawing factor u.
PixelPoint MatrixNode(int column, int row, long double u);
MatrixPicture DrawMatrix(const MatrixContent& content, float s);

}  // namespace orv
