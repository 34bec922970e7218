#pragma once
// The channel graph as a PNG picture (libpng), drawn by DrawGraph.
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "files/graph_raster.h"

namespace orv {

// Draws the plot at `zoom` times its picture size (2 gives a sharp picture on any screen) and
// writes it as PNG, whole or not at all. False with a reason when the file cannot be written or
// no font for the labels is installed.
bool WriteGraphPng(const GraphPlot& plot, const std::filesystem::path& path, std::string& error, double zoom = 2.0);

// The picture encoded as PNG; false with a reason.
bool EncodePng(const RgbPicture& picture, std::vector<std::uint8_t>& png, std::string& error);

}  // namespace orv
