#pragma once
// AudioSignalWindow, the picture of the audio signal for tuning the receiver: a waterfall of the
// audio around the centre frequency with the search range and the frequency the demodulator
// locked to marked (and the steady tones it notches out), and the constellation of the recent symbols (a clean signal is two tight
// clusters at left and right). Below, the carrier, Es/N0 and the audio input's last status.
// With the SDR input, above them the searched band around the offset: its waterfall with the
// search range, the beacon marked and the track of its drift over the rows.
#include <QImage>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <optional>
#include <vector>

#include "audio/waterfall.h"
#include "iq/iq_receiver.h"

namespace orv {

class AudioDemodulator;

class AudioSignalWindow : public QWidget {
    Q_OBJECT
public:
    // `demodulator` gives the running demodulator, or null while there is none; `receiver` the
    // SDR input's receiver, or null while there is none.
    explicit AudioSignalWindow(std::function<AudioDemodulator*()> demodulator,
                               std::function<IqReceiver*()> receiver = {}, QWidget* parent = nullptr);

    // Takes a new spectrum and the symbols and repaints (the timer does this five times a second
    // while the window is shown).
    void Refresh();
    // The audio input's last status line.
    void ShowStatus(const QString& text);

    QString SummaryText() const { return summary_; }
    const Waterfall& History() const { return waterfall_; }
    const Waterfall& BandHistory() const { return band_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void PaintWaterfall(QPainter& p, const QRect& area) const;
    void PaintConstellation(QPainter& p, const QRect& area) const;
    void PaintBand(QPainter& p, const QRect& area) const;
    void RefreshBand(IqReceiver* receiver);

    std::function<AudioDemodulator*()> demodulator_;
    Waterfall waterfall_;
    QTimer timer_;
    std::vector<std::complex<float>> symbols_;
    double centreHz_ = 0.0;
    double searchHz_ = 0.0;
    double carrierHz_ = 0.0;
    std::vector<double> notchedHz_;
    bool locked_ = false;
    QString summary_;
    QString status_;
    // The SDR's searched band.
    std::function<IqReceiver*()> receiver_;
    Waterfall band_;
    bool showBand_ = false;
    double offsetHz_ = 0.0;
    double bandSearchHz_ = 0.0;
    std::optional<double> beaconHz_;
    std::vector<BeaconFix> track_;  // the fixes of the rows in view, oldest first
};

}  // namespace orv
