#include "ui/audio_signal_window.h"

#include <QPainter>
#include <QShowEvent>
#include <cmath>
#include <optional>

#include "audio/audio_demodulator.h"
#include "ui/window_text.h"

namespace orv {
namespace {

constexpr int kWaterfallRows = 150;
// Shown beyond the search range either side: the Manchester symbols put the signal's power in two
// lobes about 300 Hz either side of a dip at the carrier, which must be in view wherever it is.
constexpr double kSpanMarginHz = 500.0;
// The band is shown this far beyond the search range either side, so a beacon at its edge is seen whole.
constexpr double kBandMarginHz = 1000.0;
constexpr double kRefreshSeconds = 0.2;

// Dark blue through cyan and yellow to white: the usual waterfall colours.
QRgb LevelColour(float level) {
    const int v = static_cast<int>(level * 255.0f);
    if (v < 85) return qRgb(0, 0, 60 + v * 2);
    if (v < 170) return qRgb(0, (v - 85) * 3, 230);
    return qRgb((v - 170) * 3, 255, 230 - (v - 170) * 2);
}

// A frequency's x in a painted waterfall: the bins' span laid over the area's width.
struct FrequencyAxis {
    int left;
    int width;
    double firstHz;
    double spanHz;
    int operator()(double hz) const { return left + static_cast<int>((hz - firstHz) / spanHz * width); }
};

// Paints a waterfall's rows, newest at the top, over `area` (black without rows) and gives its axis.
std::optional<FrequencyAxis> PaintRows(QPainter& p, const QRect& area, const Waterfall& history) {
    p.fillRect(area, Qt::black);
    const auto& rows = history.Rows();
    if (rows.empty()) return std::nullopt;
    const int bins = static_cast<int>(rows.front().size());
    QImage image(bins, kWaterfallRows, QImage::Format_RGB32);
    image.fill(Qt::black);
    for (int y = 0; y < static_cast<int>(rows.size()); ++y)
        for (int x = 0; x < bins; ++x) image.setPixel(x, y, LevelColour(rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)]));
    p.drawImage(area, image);
    return FrequencyAxis{area.left(), area.width(), history.FirstHz(), history.StepHz() * bins};
}

}  // namespace

AudioSignalWindow::AudioSignalWindow(std::function<AudioDemodulator*()> demodulator,
                                     std::function<IqReceiver*()> receiver, QWidget* parent)
    : QWidget(parent, Qt::Window),
      demodulator_(std::move(demodulator)),
      waterfall_(kWaterfallRows),
      receiver_(std::move(receiver)),
      band_(kWaterfallRows) {
    setObjectName("AudioSignalWindow");
    setWindowTitle(WindowTitle(u"Audio signal                Orv"));
    resize(720, 360);
    timer_.setInterval(200);
    connect(&timer_, &QTimer::timeout, this, &AudioSignalWindow::Refresh);
    summary_ = QStringLiteral("no audio input");
}

void AudioSignalWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    timer_.start();
}

void AudioSignalWindow::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    timer_.stop();
}

void AudioSignalWindow::ShowStatus(const QString& text) {
    status_ = text;
    update();
}

void AudioSignalWindow::RefreshBand(IqReceiver* receiver) {
    // The band takes room of its own above the audio's picture.
    if (receiver && !showBand_ && height() < 560) resize(width(), 560);
    showBand_ = receiver != nullptr;
    if (!receiver) return;
    offsetHz_ = receiver->Options().offsetHz;
    bandSearchHz_ = receiver->Options().searchHz;
    band_.Add(receiver->BandSpectrum(bandSearchHz_ + kBandMarginHz));
    beaconHz_ = receiver->BeaconHz();
    track_.clear();
    const auto& track = receiver->Track();
    if (track.empty()) return;
    const double since = track.back().seconds - kWaterfallRows * kRefreshSeconds;
    for (const BeaconFix& fix : track)
        if (fix.seconds >= since) track_.push_back(fix);
}

void AudioSignalWindow::Refresh() {
    RefreshBand(receiver_ ? receiver_() : nullptr);
    AudioDemodulator* demod = demodulator_ ? demodulator_() : nullptr;
    if (!demod) {
        summary_ = QStringLiteral("no audio input");
        update();
        return;
    }
    centreHz_ = demod->Options().centreHz;
    searchHz_ = demod->Options().searchHz;
    waterfall_.Add(demod->Spectrum(searchHz_ + kSpanMarginHz));
    symbols_ = demod->RecentSymbols();
    locked_ = demod->Locked();
    carrierHz_ = demod->CarrierHz();
    notchedHz_ = demod->NotchedHz();
    summary_ = locked_ ? QStringLiteral("carrier %1 Hz (%2%3 Hz from the centre), Es/N0 %4 dB, %5 symbols")
                             .arg(carrierHz_, 0, 'f', 1)
                             .arg(carrierHz_ >= centreHz_ ? "+" : "")
                             .arg(carrierHz_ - centreHz_, 0, 'f', 1)
                             .arg(demod->EsNoDb(), 0, 'f', 1)
                             .arg(demod->Symbols())
                       : QStringLiteral("searching %1 +- %2 Hz for the carrier").arg(centreHz_).arg(searchHz_);
    if (showBand_) {
        // The beacon in the band, its drift over the rows in view; the audio's carrier is the
        // receiver's own business.
        summary_ = beaconHz_ ? QStringLiteral("beacon at %1%2 Hz from the centre")
                                   .arg(*beaconHz_ >= 0 ? "+" : "")
                                   .arg(*beaconHz_, 0, 'f', 1)
                             : QStringLiteral("searching %1 +- %2 Hz for the beacon").arg(offsetHz_).arg(bandSearchHz_);
        if (track_.size() >= 2 && track_.back().seconds - track_.front().seconds >= 5.0)
            summary_ += QStringLiteral(", drifting %1 Hz/s")
                            .arg((track_.back().hz - track_.front().hz) / (track_.back().seconds - track_.front().seconds), 0, 'f', 2);
        if (locked_) summary_ += QStringLiteral(", Es/N0 %1 dB, %2 symbols").arg(demod->EsNoDb(), 0, 'f', 1).arg(demod->Symbols());
    }
    update();
}

void AudioSignalWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), QColor(24, 24, 24));
    const int textHeight = fontMetrics().height();
    QRect body = rect().adjusted(8, 8, -8, -(2 * textHeight + 12));
    if (showBand_) {
        const QRect band(body.left(), body.top(), body.width(), body.height() * 2 / 5);
        PaintBand(p, band);
        body.setTop(band.bottom() + 8);
    }
    const int side = std::min(body.height(), body.width() / 3);
    const QRect waterfallArea(body.left(), body.top(), body.width() - side - 8, body.height());
    const QRect constellationArea(waterfallArea.right() + 8, body.top(), side, side);
    PaintWaterfall(p, waterfallArea);
    PaintConstellation(p, constellationArea);
    p.setPen(Qt::white);
    p.drawText(QRect(8, body.bottom() + 4, width() - 16, textHeight), Qt::AlignLeft, summary_);
    p.setPen(QColor(255, 200, 120));
    p.drawText(QRect(8, body.bottom() + 6 + textHeight, width() - 16, textHeight), Qt::AlignLeft, status_);
}

void AudioSignalWindow::PaintWaterfall(QPainter& p, const QRect& area) const {
    const auto axis = PaintRows(p, area, waterfall_);
    if (!axis) return;
    const FrequencyAxis& x = *axis;
    p.setPen(QPen(QColor(255, 255, 255, 90), 1, Qt::DashLine));
    p.drawLine(x(centreHz_ - searchHz_), area.top(), x(centreHz_ - searchHz_), area.bottom());
    p.drawLine(x(centreHz_ + searchHz_), area.top(), x(centreHz_ + searchHz_), area.bottom());
    p.setPen(QPen(Qt::white, 1));
    p.drawLine(x(centreHz_), area.top(), x(centreHz_), area.top() + 8);
    p.drawText(x(centreHz_) + 3, area.top() + fontMetrics().ascent(), QString::number(centreHz_) + " Hz");
    // Steady tones notched out of the signal: short yellow ticks on top.
    p.setPen(QPen(QColor(255, 220, 60), 2));
    for (double hz : notchedHz_)
        if (hz >= x.firstHz && hz <= x.firstHz + x.spanHz) p.drawLine(x(hz), area.top(), x(hz), area.top() + 6);
    if (locked_) {
        // The locked frequency: a red marker on top and along the newest rows.
        p.setPen(QPen(QColor(255, 60, 60), 2));
        const int at = x(carrierHz_);
        p.drawLine(at, area.top(), at, area.top() + area.height() / 6);
        p.drawText(at + 4, area.top() + area.height() / 6, QString::number(carrierHz_, 'f', 1) + " Hz");
    }
}

void AudioSignalWindow::PaintBand(QPainter& p, const QRect& area) const {
    const auto axis = PaintRows(p, area, band_);
    if (!axis) return;
    const FrequencyAxis& x = *axis;
    p.setPen(QPen(QColor(255, 255, 255, 90), 1, Qt::DashLine));
    for (const double edge : {offsetHz_ - bandSearchHz_, offsetHz_ + bandSearchHz_}) p.drawLine(x(edge), area.top(), x(edge), area.bottom());
    p.setPen(QPen(Qt::white, 1));
    p.drawLine(x(offsetHz_), area.top(), x(offsetHz_), area.top() + 8);
    // The label at the left, clear of a beacon marker anywhere in the band.
    p.drawText(area.left() + 4, area.top() + fontMetrics().ascent(),
               QStringLiteral("offset %1 Hz, searched +- %2 Hz").arg(offsetHz_).arg(bandSearchHz_));
    // The drift: where the beacon was found, newest at the top, a row per refresh.
    if (!track_.empty()) {
        const double newest = track_.back().seconds;
        const double rowHeight = static_cast<double>(area.height()) / kWaterfallRows;
        QPolygon trace;
        for (const BeaconFix& fix : track_)
            trace << QPoint(x(fix.hz), area.top() + static_cast<int>((newest - fix.seconds) / kRefreshSeconds * rowHeight));
        p.setPen(QPen(QColor(255, 60, 60, 170), 2));
        p.drawPolyline(trace);
    }
    if (beaconHz_) {
        p.setPen(QPen(QColor(255, 60, 60), 2));
        const int at = x(*beaconHz_);
        p.drawLine(at, area.top(), at, area.top() + 2 * fontMetrics().height());
        p.drawText(at + 4, area.top() + 3 * fontMetrics().height(), QStringLiteral("beacon %1 Hz").arg(*beaconHz_, 0, 'f', 0));
    }
}

void AudioSignalWindow::PaintConstellation(QPainter& p, const QRect& area) const {
    p.fillRect(area, Qt::black);
    p.setPen(QColor(80, 80, 80));
    p.drawLine(area.left(), area.center().y(), area.right(), area.center().y());
    p.drawLine(area.center().x(), area.top(), area.center().x(), area.bottom());
    // Amplitude 1 at a third of the width from the centre, so noise up to 1.5 stays in view.
    const double scale = area.width() / 3.0;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(120, 255, 120));
    for (const auto& s : symbols_) {
        const QPointF at(area.center().x() + s.real() * scale, area.center().y() - s.imag() * scale);
        if (area.contains(at.toPoint())) p.drawEllipse(at, 2.0, 2.0);
    }
    p.setPen(Qt::white);
    p.drawText(area.adjusted(4, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop, QStringLiteral("symbols"));
}

}  // namespace orv
