#include "ui/adc_analysis_window.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPolygon>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/form_position.h"
#include "ui/user_messages.h"
#include "ui/window_text.h"

namespace orv {
namespace {

constexpr FormSlot kForm{.number = 20, .defaultTopTwips = 750, .defaultLeftTwips = 9000};
constexpr int kDivisors[] = {400, 4000, 40000};  // "1 sec", "10 sec", "100 sec" at 400 samples a second

// Text with its top left corner at (x, y), as the picture's labels are placed.
void TextAt(QPainter& p, int x, int y, const std::string& text) {
    p.drawText(QRect(x, y, 1000, 100), Qt::AlignLeft | Qt::AlignTop, QString::fromStdString(text));
}

}  // namespace

AdcAnalysisWindow::AdcAnalysisWindow(KeyValueStore& store, AdcReception& adc, float scale, UserMessages& messages, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      adc_(adc), scale_(scale), messages_(messages) {
    setObjectName("AdcAnalysisWindow");
    setWindowTitle(WindowTitle(u" ADC Analysis        Orv"));
    BuildControls();
    KeepFormPosition(this, store, kForm, kSaveOnClose | kSaveAtQuit);
    Redraw();
    adc_.SetHooks(this);
}

AdcAnalysisWindow::~AdcAnalysisWindow() { adc_.SetHooks(nullptr); }

void AdcAnalysisWindow::BuildControls() {
    auto* layout = new QVBoxLayout(this);
    histogramLabel_ = new QLabel(this);
    histogramLabel_->setObjectName("Histogram");
    histogramLabel_->setFixedSize(static_cast<int>(266 * scale_), static_cast<int>(300 * scale_));
    layout->addWidget(histogramLabel_);

    calibrateBox_ = new QCheckBox(QStringLiteral("Calibrate ADC "), this);
    calibrateBox_->setObjectName("CalibrateBox");
    layout->addWidget(calibrateBox_);
    connect(calibrateBox_, &QCheckBox::clicked, this, &AdcAnalysisWindow::ChooseCalibration);

    calibrationGroup_ = new QGroupBox(QStringLiteral("ADC Calibration (noise input):"), this);
    calibrationGroup_->setObjectName("CalibrationGroup");
    auto* inner = new QVBoxLayout(calibrationGroup_);
    auto* meanRow = new QHBoxLayout;
    auto* meanCaption = new QLabel(QStringLiteral("Mean Raw Value:"), calibrationGroup_);
    meanCaption->setObjectName("MeanRawValueCaption");
    meanRawValue_ = new QLabel(calibrationGroup_);
    meanRawValue_->setObjectName("MeanRawValue");
    meanRawValue_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    meanRawValue_->setAlignment(Qt::AlignCenter);
    meanRawValue_->setMinimumWidth(60);
    meanRow->addWidget(meanCaption);
    meanRow->addWidget(meanRawValue_);
    meanRow->addStretch();
    inner->addLayout(meanRow);
    auto* timeConstantGroup = new QGroupBox(QStringLiteral("Time Constant"), calibrationGroup_);
    timeConstantGroup->setObjectName("TimeConstantGroup");
    auto* items = new QHBoxLayout(timeConstantGroup);
    const char* captions[] = {"1 sec", "10 sec", "100 sec"};
    for (std::size_t i = 0; i < timeConstants_.size(); ++i) {
        auto* b = new QRadioButton(QString::fromLatin1(captions[i]), timeConstantGroup);
        items->addWidget(b);
        connect(b, &QRadioButton::clicked, this, &AdcAnalysisWindow::ChooseTimeConstant);
        timeConstants_[i] = b;
    }
    timeConstants_[0]->setChecked(true);
    inner->addWidget(timeConstantGroup);
    layout->addWidget(calibrationGroup_);
    // The calibration box shows only while calibrating; the window grows to hold it.
    calibrationGroup_->setVisible(false);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void AdcAnalysisWindow::RefreshAdcStatistics() {
    Redraw();
    adc_.Path().ResetStatisticsCounter();
}

void AdcAnalysisWindow::Redraw() {
    const SymbolHistogram h = CountSymbols(adc_.Path().Ring(), adc_.Path().RingIndex());
    const float s = scale_;
    const auto scaled = [s](double v) { return static_cast<int>(v * s); };
    picture_ = QImage(scaled(266), scaled(300), QImage::Format_RGB32);
    picture_.fill(palette().color(QPalette::Button));
    QPainter p(&picture_);
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPixelSize(std::max(1, scaled(9) * 4 / 3));  // 9 points at 96 pixels per inch
    font.setFixedPitch(true);
    p.setFont(font);

    const int baseline = scaled(220);
    p.setPen(QColor(128, 128, 128));
    for (int t = 0; t <= 256; t += 64) p.drawLine(scaled(t + 5), baseline, scaled(t + 5), 2);
    p.drawLine(scaled(5), baseline, scaled(261), baseline);

    // The curve and the texts stay unscaled.
    p.setPen(Qt::black);
    QPolygon curve;
    for (int b = 0; b < 256; ++b) curve << QPoint(b + 5, 220 - 2 * h[static_cast<std::size_t>(b)]);
    p.drawPolyline(curve);
    TextAt(p, 0, 225, "-128");
    TextAt(p, 55, 225, "-64");
    TextAt(p, 128, 225, "0");
    TextAt(p, 190, 225, "64");
    TextAt(p, 234, 225, "+128");

    const auto lower = LowerHalfLines(LowerHalfFigures(h));
    const auto upper = UpperHalfLines(UpperHalfFigures(h));
    figureLines_.clear();
    for (std::size_t i = 0; i < lower.size(); ++i) {
        TextAt(p, 20, 250 + 15 * static_cast<int>(i), lower[i]);
        figureLines_ << QString::fromStdString(lower[i]);
    }
    for (std::size_t i = 0; i < upper.size(); ++i) {
        TextAt(p, 155, 250 + 15 * static_cast<int>(i), upper[i]);
        figureLines_ << QString::fromStdString(upper[i]);
    }
    p.end();
    histogramLabel_->setPixmap(QPixmap::fromImage(picture_));
}

void AdcAnalysisWindow::ShowMeanRawValue(float mean) { meanRawValue_->setText(QString::fromStdString(MeanRawValueText(mean))); }

QString AdcAnalysisWindow::MeanRawValue() const { return meanRawValue_->text(); }

void AdcAnalysisWindow::FecLogFailed(const std::filesystem::path& path) {
    const QString file = QString::fromStdString(path.string());
    if (failedLogs_.contains(file)) return;
    failedLogs_.insert(file);
    // Shown once the sample being processed is done: a modal box must not run its event loop
    // (and with it the serial port's next read) in the middle of the sample path.
    QTimer::singleShot(0, this, [this, file] {
        messages_.Inform(
            QStringLiteral("The FEC log cannot be written:\n%1\nIts lines are lost until it can be written.").arg(file));
    });
}

void AdcAnalysisWindow::ChooseCalibration() {
    const bool on = calibrateBox_->isChecked();
    adc_.Path().SetCalibrating(on);
    // The window grows by the calibration box; in the lower half of the screen it grows upwards,
    // and shrinking moves it back.
    const QRect frame = frameGeometry();
    const int centre = frame.top() + frame.height() / 2;
    const QScreen* screen = this->screen();
    const int middle = screen ? screen->geometry().height() / 2 : 0;
    const int before = height();
    calibrationGroup_->setVisible(on);
    layout()->activate();
    const int grown = height() - before;
    if (on && centre > middle) move(x(), y() - grown);
    if (!on && centre >= middle) move(x(), y() - grown);
}

void AdcAnalysisWindow::ChooseTimeConstant() {
    for (std::size_t i = 0; i < timeConstants_.size(); ++i)
        if (timeConstants_[i]->isChecked()) adc_.Path().SetCalibrationDivisor(kDivisors[i]);
}

}  // namespace orv
