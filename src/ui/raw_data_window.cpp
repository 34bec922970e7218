#include "ui/raw_data_window.h"

#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>

#include "tools/text_view.h"
#include "ui/window_text.h"

namespace orv {

RawDataWindow::RawDataWindow(float scale, QWidget* parent) : QWidget(parent, Qt::Window), scale_(scale) {
    setObjectName("RawDataWindow");
    setWindowTitle(WindowTitle(u"  Telemetry                                          Orv"));
    const TextViewGeometry g(scale_);
    groupBox_ = new QGroupBox(QStringLiteral("Raw Data"), this);
    textView_ = new QLabel(groupBox_);
    textView_->setObjectName("TextView");
    textView_->setFixedSize(g.Width(), g.Height());
    textView_->setToolTip(QStringLiteral(" L-click to save as data. R-click to save as text. "));
    auto* inner = new QVBoxLayout(groupBox_);
    inner->setContentsMargins(6, 4, 6, 6);
    inner->addWidget(textView_);
    statusLine_ = new QLabel(this);
    statusLine_->setObjectName("StatusLine");
    statusLine_->setAlignment(Qt::AlignCenter);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(groupBox_);
    layout->addWidget(statusLine_);
    layout->addStretch();
    picture_ = QImage(g.Width(), g.Height(), QImage::Format_RGB32);
    picture_.fill(palette().color(QPalette::Button));
    textView_->setPixmap(QPixmap::fromImage(picture_));
    // The status line shows only in ADC reception (the window then grows by one line).
    statusLine_->setVisible(false);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void RawDataWindow::ShowTextBlock(std::span<const std::uint8_t, kTelemetryBytes> bytes, const std::optional<QString>& status) {
    const TextViewGeometry g(scale_);
    const QColor face = palette().color(QPalette::Button);
    picture_.fill(face);
    QPainter p(&picture_);
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPixelSize(g.FontPixelSize());
    font.setFixedPitch(true);
    p.setFont(font);
    const auto cells = TextViewCells(bytes);
    for (int i = 0; i < static_cast<int>(kTelemetryBytes); ++i) {
        const int col = i % 64;
        const int row = i / 64;
        const QRect cell(QPoint(g.CellX(col), g.CellY(row)), QPoint(g.CellRight(col) - 1, g.CellBottom(row) - 1));
        const auto& c = cells[static_cast<std::size_t>(i)];
        p.fillRect(cell, c.inverse ? QColor(Qt::black) : face);
        p.setPen(c.inverse ? QColor(Qt::white) : QColor(Qt::black));
        p.drawText(QRect(cell.left(), cell.top() - 1, cell.width() + 2, cell.height() + 3), Qt::AlignLeft | Qt::AlignTop,
                   QString(QChar(c.c)));
    }
    p.end();
    textView_->setPixmap(QPixmap::fromImage(picture_));
    if (status) statusLine_->setText(*status);
    statusLine_->setVisible(status.has_value());
}

void RawDataWindow::SetGroupCaption(const QString& caption) { groupBox_->setTitle(caption); }
QString RawDataWindow::GroupCaption() const { return groupBox_->title(); }
QString RawDataWindow::StatusText() const { return statusLine_->text(); }
bool RawDataWindow::StatusLineVisible() const { return !statusLine_->isHidden(); }

void RawDataWindow::mousePressEvent(QMouseEvent* event) {
    if (textView_->geometry().translated(groupBox_->pos()).contains(event->position().toPoint())) {
        if (event->button() == Qt::LeftButton) emit SaveRequested(true);
        if (event->button() == Qt::RightButton) emit SaveRequested(false);
    }
    QWidget::mousePressEvent(event);
}

}  // namespace orv
