#include "ui/byte_dump_window.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QFrame>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>

#include "tools/byte_dump.h"
#include "ui/form_position.h"
#include "ui/window_text.h"

namespace orv {
namespace {

constexpr FormSlot kForm{.number = 9, .defaultTopTwips = 50, .defaultLeftTwips = 5000};
constexpr int kTextColumns = 68;
constexpr int kTextLines = 34;  // header, rule, 32 rows
constexpr int kMargin = 4;

// Where the characters of the table go, so that each byte sits in the cell the address readout
// finds under the pointer: a byte cell is 31.7 px (four characters) wide from x = 36, a row
// 15 px high from y = 30, both scaled as the readout scales them.
struct DumpGeometry {
    explicit DumpGeometry(double s) {
        charPitch = 31.7 / 4 * s;
        linePitch = s != 1.0 ? 15 * 1.05 * s : 15.0;
        // The digits of byte column c are centred in its cell; at large scales the address
        // column needs more room than the readout's fixed offsets leave.
        x0 = std::max(2.0, 36 - 4 * charPitch);
        y0 = std::max(0.0, 30 - 2 * linePitch);
    }
    QSize PanelSize(double s) const {
        QSize needed(static_cast<int>(x0 + kTextColumns * charPitch) + kMargin,
                     static_cast<int>(y0 + kTextLines * linePitch) + kMargin);
        if (s != 1.0) needed = needed.expandedTo(QSize(700, 685));
        return needed;
    }
    double charPitch;
    double linePitch;
    double x0;
    double y0;
};

}  // namespace

// The dump panel: the table text drawn character by character on the readout's grid.
class ByteDumpPanel final : public QFrame {
public:
    ByteDumpPanel(double scale, QWidget* parent) : QFrame(parent), geometry_(scale) {
        setObjectName("DumpPanel");
        setFrameStyle(QFrame::Panel | QFrame::Sunken);
        setLineWidth(2);
        QPalette p = palette();
        p.setColor(QPalette::Window, Qt::white);
        p.setColor(QPalette::WindowText, Qt::black);
        setPalette(p);
        setAutoFillBackground(true);
        setMouseTracking(true);
        setFixedSize(geometry_.PanelSize(scale));
        font_ = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        font_.setFixedPitch(true);
        font_.setStyleHint(QFont::Monospace);
        // The largest size whose characters fit the grid.
        for (int px = static_cast<int>(13 * scale); px > 6; --px) {
            font_.setPixelSize(px);
            const QFontMetricsF m(font_);
            if (m.horizontalAdvance(QLatin1Char('0')) <= geometry_.charPitch && m.height() <= geometry_.linePitch + 1)
                break;
        }
    }

    void SetText(const QString& text) {
        text_ = text;
        lines_ = text.split(QLatin1Char('\n'));
        update();
    }
    const QString& Text() const { return text_; }

    std::function<void(QPoint)> onMove;
    std::function<void(QPoint)> onClick;

protected:
    void paintEvent(QPaintEvent* event) override {
        QFrame::paintEvent(event);
        QPainter painter(this);
        painter.setFont(font_);
        painter.setPen(Qt::black);
        const QFontMetricsF m(font_);
        const double baseline = (geometry_.linePitch - m.height()) / 2 + m.ascent();
        for (int i = 0; i < lines_.size(); ++i) {
            const double y = geometry_.y0 + i * geometry_.linePitch + baseline;
            const QString& line = lines_[i];
            for (int k = 0; k < line.size(); ++k)
                if (line[k] != QLatin1Char(' ')) painter.drawText(QPointF(geometry_.x0 + k * geometry_.charPitch, y), QString(line[k]));
        }
    }
    void mouseMoveEvent(QMouseEvent* event) override {
        if (onMove) onMove(event->position().toPoint());
        QFrame::mouseMoveEvent(event);
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && onClick)
            onClick(event->position().toPoint());
        QFrame::mouseReleaseEvent(event);
    }

private:
    DumpGeometry geometry_;
    QFont font_;
    QString text_;
    QStringList lines_;
};

ByteDumpWindow::ByteDumpWindow(KeyValueStore& store, float scale, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      scale_(scale) {
    setObjectName("ByteDumpWindow");
    setWindowTitle(WindowTitle(u"  Byte Dump                                           Orv"));
    panel_ = new ByteDumpPanel(scale_, this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(panel_);
    if (scale_ != 1.0F) {
        const QSize panel = panel_->size();
        setFixedSize(std::max(725, panel.width() + 25), std::max(735, panel.height() + 50));
    } else {
        layout->setSizeConstraint(QLayout::SetFixedSize);
    }
    panel_->onMove = [this](QPoint p) { emit AddressPointed(AddressText(AddressAt(p))); };
    panel_->onClick = [this](QPoint p) {
        if (const auto address = AddressAt(p)) emit AddressClicked(AddressText(address));
    };
    // Hidden by its close box or by the Monitor's "Data Window": it keeps its place for next time.
    KeepFormPosition(this, store, kForm, kSaveOnHide | kSaveAtQuit);
}

void ByteDumpWindow::ShowBlock(ConstBytes block, bool decimal) {
    decimal_ = decimal;
    panel_->SetText(QString::fromLatin1(ByteDumpText(block, decimal)));
}

QString ByteDumpWindow::Text() const { return panel_->Text(); }
QWidget* ByteDumpWindow::Panel() const { return panel_; }

std::optional<int> ByteDumpWindow::AddressAt(QPoint position) const {
    return ByteDumpAddressAt(position.x(), position.y(), scale_);
}

QString ByteDumpWindow::AddressText(std::optional<int> address) const {
    return QString::fromLatin1(ByteDumpAddressText(address, decimal_));
}

void ByteDumpWindow::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    emit Closed();
}

}  // namespace orv
