#pragma once
// AdcAnalysisWindow, the ADC analysis window: the histogram of the last 5200 soft symbols with the count, mean
// and standard deviation of each half, and the calibration aid that shows the running mean of the
// raw ADC bytes (with a noise input the ADC offset is right when it reads 128).
#include <QImage>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <array>

#include "pipeline/adc_reception.h"
#include "fec/adc_statistics.h"
#include "reception/settings_store.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QRadioButton;

namespace orv {

class UserMessages;

class AdcAnalysisWindow : public QWidget, public AdcReceptionHooks {
    Q_OBJECT
public:
    // Restores the position; takes the ADC reception's call-outs until destroyed.
    AdcAnalysisWindow(KeyValueStore& store, AdcReception& adc, float scale, UserMessages& messages, QWidget* parent = nullptr);
    ~AdcAnalysisWindow() override;

    // Rebuilds the histogram over the sample ring and redraws it (visible or not), and resets the
    // sample path's statistics counter. The sample path calls it every 5400 samples outside block
    // capture, the display dispatch after each block while the window is visible.
    void RefreshAdcStatistics() override;
    // The calibration mean on the "Mean Raw Value:" label.
    void ShowMeanRawValue(float mean) override;
    // Tells the operator once per file that FEC log lines are being lost.
    void FecLogFailed(const std::filesystem::path& path) override;

    // "Calibrate ADC ": starts or stops the calibration mean and shows or hides its box.
    void ChooseCalibration();
    // "Time Constant": the calibration mean's averaging time (1, 10 or 100 s).
    void ChooseTimeConstant();

    // State for tests.
    const QImage& Picture() const { return picture_; }
    // The figures under the histogram: lower half "Tot:", "Mean:", "S.D.:", then the upper half.
    QStringList FigureLines() const { return figureLines_; }
    QString MeanRawValue() const;
    QCheckBox* CalibrateBox() const { return calibrateBox_; }
    QGroupBox* CalibrationGroup() const { return calibrationGroup_; }
    QRadioButton* TimeConstantButton(int item) const { return timeConstants_[static_cast<std::size_t>(item)]; }

private:
    void BuildControls();
    void Redraw();

    AdcReception& adc_;
    float scale_;
    UserMessages& messages_;
    QImage picture_;
    QStringList figureLines_;
    QSet<QString> failedLogs_;

    QLabel* histogramLabel_ = nullptr;
    QCheckBox* calibrateBox_ = nullptr;
    QGroupBox* calibrationGroup_ = nullptr;  // "ADC Calibration (noise input):"
    QLabel* meanRawValue_ = nullptr;
    std::array<QRadioButton*, 3> timeConstants_{};
};

}  // namespace orv
