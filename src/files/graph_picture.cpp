#include "files/graph_picture.h"

#include "files/graph_image.h"
#include "files/named_output.h"

#include <QBuffer>
#include <QByteArray>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QString>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace orv {
namespace {

// A Qt application for a caller that has none (the command line): off screen unless told
// otherwise, kept until the process ends.
void EnsureGuiApplication() {
    if (QCoreApplication::instance() != nullptr) return;
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Only failures matter on the command line, not the platform's notes about its setup.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type == QtCriticalMsg || type == QtFatalMsg) std::fprintf(stderr, "%s\n", qPrintable(message));
    });
    static int argc = 1;
    static char name[] = "orv";
    static char* argv[] = {name, nullptr};
    static std::unique_ptr<QGuiApplication> app = std::make_unique<QGuiApplication>(argc, argv);
}

QString Text(const std::string& s) { return QString::fromStdString(s); }

// The curve with every run of points on one pixel column cut to its first, lowest, highest and
// last point: the same line on the picture, and a million blocks draw at once.
QPolygonF CurveOf(const std::vector<PicturePoint>& points) {
    QPolygonF curve;
    std::size_t k = 0;
    while (k < points.size()) {
        std::size_t end = k;
        std::size_t low = k, high = k;
        while (end < points.size() && points[end].x == points[k].x) {
            if (points[end].y < points[low].y) low = end;
            if (points[end].y > points[high].y) high = end;
            ++end;
        }
        const std::size_t last = end - 1;
        std::size_t keep[] = {k, std::min(low, high), std::max(low, high), last};
        for (int j = 0; j < 4; ++j)
            if (j == 0 || keep[j] != keep[j - 1]) curve << QPointF(points[keep[j]].x, points[keep[j]].y);
        k = end;
    }
    return curve;
}

}  // namespace

QImage GraphImage(const GraphPlot& plot, double zoom) {
    const double kx = plot.factors.kx;
    const double ky = plot.factors.ky;
    // The picture sits in the window at (8, 2); the window's client area is 705 x 368 layout
    // pixels. The whole window surface is drawn, so the labels have room around the plot.
    const double width = plot.pictureWidth + 8;
    const double height = plot.pictureHeight + 2;
    QImage image(static_cast<int>(width * zoom), static_cast<int>(height * zoom), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.scale(zoom, zoom);
    painter.translate(8, 2);

    const double left = kGraphLeft * kx;
    const double right = (kGraphLeft + kGraphWidth) * kx;
    const double top = (kGraphBottom - kGraphHeight) * ky;
    const double bottom = kGraphBottom * ky;
    QFont font("DejaVu Sans");
    font.setPixelSize(11);
    QFont bold = font;
    bold.setBold(true);
    bold.setPixelSize(12);

    // Scale lines and y labels at max, 3/4, 1/2, 1/4, min.
    const std::string* yLabels[] = {&plot.label1, &plot.label8, &plot.label2, &plot.label9, &plot.label3};
    painter.setFont(font);
    for (int k = 0; k < 5; ++k) {
        const double y = top + (bottom - top) * k / 4.0;
        painter.setPen(QPen(QColor(220, 220, 220), 0.8));
        painter.drawLine(QPointF(left, y), QPointF(right, y));
        painter.setPen(QPen(Qt::black, 1));
        painter.drawLine(QPointF(left - 5, y), QPointF(left, y));
        painter.drawText(QRectF(0, y - 8, left - 8, 16), Qt::AlignRight | Qt::AlignVCenter, Text(*yLabels[k]));
    }
    // x labels: MA at start, quarter points and stop.
    const std::string* xLabels[] = {&plot.label4, &plot.label10, &plot.label11, &plot.label12, &plot.label6};
    for (int k = 0; k < 5; ++k) {
        const double x = left + (right - left) * k / 4.0;
        painter.drawLine(QPointF(x, bottom + 4), QPointF(x, bottom + 9));
        painter.drawText(QRectF(x - 45, bottom + 10, 90, 16), Qt::AlignHCenter | Qt::AlignTop, Text(*xLabels[k]));
    }
    // Axes.
    painter.setPen(QPen(Qt::black, 1.2));
    painter.drawLine(QPointF(left, top - 4), QPointF(left, bottom + 4));
    painter.drawLine(QPointF(left, bottom + 4), QPointF(right + 1, bottom + 4));

    // The curve.
    const QPolygonF curve = CurveOf(plot.points);
    painter.setPen(QPen(QColor(0, 0, 160), 1.0));
    painter.drawPolyline(curve);

    // Title, units, orbit and range.
    painter.setPen(Qt::black);
    painter.setFont(bold);
    painter.drawText(QRectF(0, 0, plot.pictureWidth, top - 6), Qt::AlignHCenter | Qt::AlignVCenter, Text(plot.label7));
    painter.drawText(QRectF(0, bottom + 28, plot.pictureWidth, 18), Qt::AlignHCenter | Qt::AlignVCenter,
                     Text(plot.label5));
    painter.save();
    painter.translate(10, (top + bottom) / 2);
    painter.rotate(-90);
    painter.drawText(QRectF(-100, -8, 200, 16), Qt::AlignCenter, Text(plot.label13));
    painter.restore();
    painter.setFont(font);
    painter.drawText(QRectF(right - 250, 2, 250, 16), Qt::AlignRight | Qt::AlignVCenter,
                     QString("Blocks %1 to %2").arg(plot.start).arg(plot.stop));
    painter.end();
    return image;
}

bool WriteGraphPng(const GraphPlot& plot, const std::filesystem::path& path, std::string& error, double zoom) {
    EnsureGuiApplication();
    const QImage image = GraphImage(plot, zoom);
    // Encoded in memory first, so the file is written whole or not at all.
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) {
        error = "cannot encode the picture \"" + path.string() + "\"";
        return false;
    }
    return WriteNamedOutput(path, std::span(reinterpret_cast<const std::uint8_t*>(png.constData()),
                                            static_cast<std::size_t>(png.size())),
                            error);
}

}  // namespace orv
