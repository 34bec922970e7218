#pragma once
// The channel graph drawn with Qt: the one drawing that the graph window shows and that a PNG
// picture of the graph holds (library orv_files_qt).
#include <QImage>

#include "files/channel_graph.h"

namespace orv {

// The plot at `zoom` times its picture size, on the window's surface around it: the plot sits
// at (8, 2) of a white image, with the scale, the axes, the curve, the MA labels, the title,
// the units and the orbit. Needs a Qt application object.
QImage GraphImage(const GraphPlot& plot, double zoom);

}  // namespace orv
