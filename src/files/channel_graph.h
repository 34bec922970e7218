#pragma once
// The channel graph: one telemetry channel of the A blocks across a block range of the replayed
// file, computed as data (values, scale, labels, plot points) for a window or a picture to draw.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "displays/channel_conversion.h"
#include "files/event_grid.h"
#include "files/mapped_log_file.h"

namespace orv {

// Start and stop block numbers (1-based; 0 = not yet set), shared by the graph and the export.
struct BlockRange {
    std::uint32_t start = 0;
    std::uint32_t stop = 0;
};

// The range the graph dialog starts from: a start of 0 becomes 1; a stop of 0 or above the
// total becomes the total.
BlockRange GraphRangeDefaults(BlockRange range, std::uint32_t total);

// What the graph dialog returns, plus the kind of graph.
struct GraphInput {
    bool fromChannel = false;    // the channel of `request` (else the typed address, always raw)
    std::string addressText;     // typed case: the address field
    std::string startText;       // "Start Blk#:"
    std::string stopText;        // "Stop Blk#:"
    bool raw = false;            // channel case: "Raw" checked
    GraphRequest request;        // channel case (empty title until a caption was clicked)
};

// Layout of the graph window, in layout pixels (at 96 pixels per inch).
inline constexpr int kGraphLeft = 59;        // x of the first block
inline constexpr int kGraphWidth = 620;      // x span of the range
inline constexpr int kGraphBottom = 312;     // y of the minimum
inline constexpr int kGraphHeight = 279;     // y span of the scale (maximum at 33)
inline constexpr int kGraphPictureWidth = 706;
inline constexpr int kGraphPictureHeight = 368;

// Plot factors of a screen scale s: kx = ky = 0.98 at s = 1, else kx = 0.96 s and ky = 0.98 s.
struct PlotFactors {
    double kx = 0.98, ky = 0.98;
};
PlotFactors GraphPlotFactors(double screenScale);

struct GraphPlot {
    int address = 0;
    bool raw = true;
    std::uint32_t start = 0, stop = 0;
    float maximum = 0, minimum = 0;     // the scale, whole numbers, span a multiple of 4
    std::vector<float> values;          // one per block of the range
    std::vector<PicturePoint> points;   // the curve in picture pixels, first point is a move
    int pictureWidth = 0, pictureHeight = 0;
    PlotFactors factors;
    int maStart = 0, ma25 = 0, ma50 = 0, ma75 = 0, maStop = 0;
    int orbit = 0;
    // The window's label texts, named as in its layout.
    std::string label7;    // title
    std::string label13;   // units, or "Raw Data"
    std::string label1, label8, label2, label9, label3;      // y axis, top to bottom
    std::string label4, label10, label11, label12, label6;   // x axis, left to right (MA)
    std::string label5;    // "Start Orbit# " + orbit number
};

struct GraphOutcome {
    std::optional<GraphPlot> plot;   // absent: nothing is drawn
    std::string message;             // the information box to show, if any
    bool fileFault = false;          // the message is about the file (blocks not all A, unreadable)
    std::string typedAddressText;    // typed case: the trimmed address text to keep
    std::optional<BlockRange> range; // the range to keep for the next graph and export
};

inline constexpr const char* kImproperAddressText = "Improper data address entered!";
inline constexpr const char* kNonABlocksText = "This telemetry file contains non-A blocks\n   Please filter before graphing!";
inline constexpr const char* kSelectChannelText =
    "First select channel to be graphed by left clicking\non the CHANNEL NAME in the appropriate window.";

// Runs one graph over `image` (the replayed file). A typed address that is empty does nothing;
// one that is not a number or above 511 gives "Improper data address entered!". The range must
// be numbers with 1 <= start < stop <= the file's blocks; anything else gets a message naming
// the fault. Every block of the range must be an A block without the failed mark.
GraphOutcome GraphChannel(const MappedLogFile& image, const GraphInput& input, double screenScale);

// The mouse read-out at picture pixel (x, y): block and value texts, or nothing outside the plot.
struct GraphReadOut {
    std::string block;
    std::string value;
};
std::optional<GraphReadOut> GraphMouseReadOut(const GraphPlot& plot, int x, int y);

// The y-axis and read-out number format: one decimal, 4 significant digits.
std::string GraphValueText(double value);

}  // namespace orv
