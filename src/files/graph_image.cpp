#include "files/graph_image.h"

#include "files/graph_raster.h"

namespace orv {

QImage GraphImage(const GraphPlot& plot, double zoom) {
    std::string error;  // a desktop has the font; without it the picture goes without labels
    const RgbPicture picture = DrawGraph(plot, zoom, error);
    return QImage(picture.rgb.data(), picture.width, picture.height, picture.width * 3, QImage::Format_RGB888).copy();
}

}  // namespace orv
