#pragma once
// The channel graph drawn into plain RGB pixels: the one drawing that the graph window shows and
// that `orv-cli graph --png` and the window's "Save picture" write. Lines are antialiased by
// their pixel coverage; text is set with FreeType in DejaVu Sans (found through fontconfig).
#include <cstdint>
#include <string>
#include <vector>

#include "files/channel_graph.h"

namespace orv {

struct RgbPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;  // 3 bytes a pixel, rows top to bottom
};

// The plot at `zoom` times its picture size, on the window's surface around it: the plot sits at
// (8, 2) of a white picture, with the scale, the axes, the curve, the MA labels, the title, the
// units and the orbit. Without a font the labels are left out and `error` says why (it stays
// empty otherwise).
RgbPicture DrawGraph(const GraphPlot& plot, double zoom, std::string& error);

}  // namespace orv
