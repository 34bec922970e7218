#pragma once
// RawDataWindow, the raw data window: the selected block as an 8 x 64 character grid, and in ADC
// reception a status line with the synchronisation and FEC figures.
#include <QImage>
#include <QWidget>
#include <optional>
#include <span>

#include "reception/block.h"

class QGroupBox;
class QLabel;

namespace orv {

class RawDataWindow : public QWidget {
    Q_OBJECT
public:
    explicit RawDataWindow(float scale, QWidget* parent = nullptr);

    // Draws the 512 bytes; with a status text the window grows to show the status line.
    void ShowTextBlock(std::span<const std::uint8_t, kTelemetryBytes> bytes, const std::optional<QString>& status);
    void SetGroupCaption(const QString& caption);
    QString GroupCaption() const;
    QString StatusText() const;
    bool StatusLineVisible() const;
    const QImage& Picture() const { return picture_; }

signals:
    // A click on the text area: left button saves as data, right button as text.
    void SaveRequested(bool asData);

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    float scale_;
    QImage picture_;
    QGroupBox* groupBox_;
    QLabel* textView_;
    QLabel* statusLine_;
};

}  // namespace orv
