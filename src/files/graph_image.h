#pragma once
// The channel graph as a Qt image for the graph window (library orv_files_qt): DrawGraph's pixels.
#include <QImage>

#include "files/channel_graph.h"

namespace orv {

// The plot at `zoom` times its picture size, as DrawGraph draws it.
QImage GraphImage(const GraphPlot& plot, double zoom);

}  // namespace orv
