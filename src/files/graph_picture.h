#pragma once
// The channel graph as a picture (PNG): curve, axes, scale and labels as the graph window shows
// them. Qt-free interface; the implementation draws with Qt (library orv_files_qt).
#include <filesystem>
#include <string>

#include "files/channel_graph.h"

namespace orv {

// Draws the plot at `zoom` times its picture size (2 gives a sharp picture on any screen) and
// writes it as PNG. Creates the Qt application object it needs when the caller has none (the
// command line), drawing off screen. False with a reason when the file cannot be written.
bool WriteGraphPng(const GraphPlot& plot, const std::filesystem::path& path, std::string& error, double zoom = 2.0);

}  // namespace orv
