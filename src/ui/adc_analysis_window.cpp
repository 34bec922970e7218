#include "ui/adc_analysis_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
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

namespace orv {
namespace {

constexpr int kFormNumber = 20;
constexpr int kDefaultTopTwips = 750;
constexpr int kDefaultLeftTwips = 9000;
constexpr int kDivisors[] = {400, 4000, 40000};  // "1 sec", "10 sec", "100 sec" at 400 samples a second

// Text with its top left corner at (x, y), as the picture's labels are placed.
void TextAt(QPainter& p, int x, int y, const std::string& text) {
    p.drawText(QRect(x, y, 1000, 100), Qt::AlignLeft | Qt::AlignTop, QString::fromStdString(text));
}

}  // namespace

AdcAnalysisWindow::AdcAnalysisWindow(KeyValueStore& store, AdcReception& adc, float scale, UserMessages& messages, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      store_(store), adc_(adc), scale_(scale), messages_(messages) {
    setObjectName("AdcAnalysisWindow");
    setWindowTitle(QStringLiteral(" ADC Analysis        Orv"));
    BuildControls();
    RestoreFormPosition(this, store_, kFormNumber, kDefaultTopTwips, kDefaultLeftTwips);
    Redraw();
    adc_.SetHooks(this);
    // The program ends by closing the main window; an open analysis window keeps its place then too.
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] {
        if (isVisible()) SaveFormPosition(this, store_, kFormNumber);
    });
}

AdcAnalysisWindow::~AdcAnalysisWindow() { adc_.SetHooks(nullptr); }

void AdcAnalysisWindow::BuildControls() {
    auto* layout = new QVBoxLayout(this);
    image1_ = new QLabel(this);
    image1_->setObjectName("Image1");
    image1_->setFixedSize(static_cast<int>(266 * scale_), static_cast<int>(300 * scale_));
    layout->addWidget(image1_);

    checkBox1_ = new QCheckBox(QStringLiteral("Calibrate ADC "), this);
    checkBox1_->setObjectName("CheckBox1");
    layout->addWidget(checkBox1_);
    connect(checkBox1_, &QCheckBox::clicked, this, &AdcAnalysisWindow::CheckBox1Click);

    groupBox1_ = new QGroupBox(QStringLiteral("ADC Calibration (noise input):"), this);
    groupBox1_->setObjectName("GroupBox1");
    auto* inner = new QVBoxLayout(groupBox1_);
    auto* meanRow = new QHBoxLayout;
    auto* label1 = new QLabel(QStringLiteral("Mean Raw Value:"), groupBox1_);
    label1->setObjectName("Label1");
    label2_ = new QLabel(groupBox1_);
    label2_->setObjectName("Label2");
    label2_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label2_->setAlignment(Qt::AlignCenter);
    label2_->setMinimumWidth(60);
    meanRow->addWidget(label1);
    meanRow->addWidget(label2_);
    meanRow->addStretch();
    inner->addLayout(meanRow);
    auto* radioGroup1 = new QGroupBox(QStringLiteral("Time Constant"), groupBox1_);
    radioGroup1->setObjectName("RadioGroup1");
    auto* items = new QHBoxLayout(radioGroup1);
    const char* captions[] = {"1 sec", "10 sec", "100 sec"};
    for (std::size_t i = 0; i < timeConstants_.size(); ++i) {
        auto* b = new QRadioButton(QString::fromLatin1(captions[i]), radioGroup1);
        items->addWidget(b);
        connect(b, &QRadioButton::clicked, this, &AdcAnalysisWindow::RadioGroup1Click);
        timeConstants_[i] = b;
    }
    timeConstants_[0]->setChecked(true);
    inner->addWidget(radioGroup1);
    layout->addWidget(groupBox1_);
    // The calibration box shows only while calibrating (the window's taller form).
    groupBox1_->setVisible(false);
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

    // The curve and the texts keep their design coordinates.
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
    image1_->setPixmap(QPixmap::fromImage(picture_));
}

void AdcAnalysisWindow::ShowMeanRawValue(float mean) { label2_->setText(QString::fromStdString(MeanRawValueText(mean))); }

QString AdcAnalysisWindow::MeanRawValue() const { return label2_->text(); }

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

void AdcAnalysisWindow::CheckBox1Click() {
    const bool on = checkBox1_->isChecked();
    adc_.Path().SetCalibrating(on);
    // The window grows by the calibration box; in the lower half of the screen it grows upwards,
    // and shrinking moves it back.
    const QRect frame = frameGeometry();
    const int centre = frame.top() + frame.height() / 2;
    const QScreen* screen = this->screen();
    const int middle = screen ? screen->geometry().height() / 2 : 0;
    const int before = height();
    groupBox1_->setVisible(on);
    layout()->activate();
    const int grown = height() - before;
    if (on && centre > middle) move(x(), y() - grown);
    if (!on && centre >= middle) move(x(), y() - grown);
}

void AdcAnalysisWindow::RadioGroup1Click() {
    for (std::size_t i = 0; i < timeConstants_.size(); ++i)
        if (timeConstants_[i]->isChecked()) adc_.Path().SetCalibrationDivisor(kDivisors[i]);
}

void AdcAnalysisWindow::closeEvent(QCloseEvent* event) {
    SaveFormPosition(this, store_, kFormNumber);
    QWidget::closeEvent(event);
}

}  // namespace orv
