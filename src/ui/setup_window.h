#pragma once
// SetupWindow, the Setup window: port, data directory, modem type (with the audio input's source,
// centre frequency and UDP rate), baud rate, log on start, TCP/IP boot, FEC log and UTC offset.
#include <QWidget>
#include <functional>

#include "station/setup_choices.h"
#include "station/station.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace orv {

class UserMessages;

class SetupWindow : public QWidget {
    Q_OBJECT
public:
    SetupWindow(Station& station, UserMessages& messages, QWidget* parent = nullptr);

    // The device the station uses now (--serial, "Serial Device" or the port number), shown in
    // the device field when Setup opens.
    void SetDeviceInUse(std::function<QString()> deviceInUse) { deviceInUse_ = std::move(deviceInUse); }
    // Asks for a directory, starting at the given one; empty when cancelled. A file dialog unless
    // replaced (window tests).
    void SetDirectoryChooser(std::function<QString(const QString&)> chooser) { chooseDirectory_ = std::move(chooser); }

    // Called after a successful "Save".
    void SetAfterSave(std::function<void()> afterSave) { afterSave_ = std::move(afterSave); }

    // "Setup" from the main window's menu: fill from the current settings and show (not modal).
    void OpenFromMenu();
    // First run: shown modally with what an untouched "Save" stores selected (FirstRunSetupChoices).
    void ShowFirstRun();

    SetupChoices Choices() const;
    void SetChoices(const SetupChoices& c);

    void SaveClick();  // "Save"
    void CancelClick();  // "Cancel"
    void AutoTimeClick();  // "Auto"
    void ManualTimeClick();  // "Manual"

    QPushButton* SaveButton() const { return saveButton_; }
    QPushButton* CancelButton() const { return cancelButton_; }
    QLineEdit* OffsetField() const { return offsetField_; }
    QGroupBox* AudioBox() const { return audioBox_; }
    QLineEdit* AudioRateField() const { return audioRateField_; }
    QGroupBox* SdrBox() const { return sdrBox_; }
    QComboBox* DeviceField() const { return deviceField_; }  // off Windows only; else nullptr
    QPushButton* BrowseButton() const { return browseButton_; }
    QLineEdit* DirectoryField() const { return directoryField_; }
    void BrowseClick();  // "Browse..."
    // The device field's path: the chosen entry's device, or the text as typed.
    QString DevicePath() const;

protected:
    void hideEvent(QHideEvent* event) override;

private:
    static void Select(QButtonGroup* group, int item);
    // The modem type chosen is the audio input, whose controls come with it.
    bool AudioItemChecked() const;
    QGroupBox* MakeAudioBox();
    // The same for the SDR input.
    bool SdrItemChecked() const;
    QGroupBox* MakeSdrBox();
    void FillDevices();

    KeyValueStore& store_;
    Station& station_;
    const Clock& clock_;
    UserMessages& messages_;
    std::function<void()> afterSave_;
    std::function<QString()> deviceInUse_;
    std::function<QString(const QString&)> chooseDirectory_;
    QString shownDevice_;  // the device path shown when Setup opened

    QButtonGroup* portGroup_;  // Com Port
    QComboBox* deviceField_ = nullptr;   // Serial device (off Windows)
    QLineEdit* directoryField_;           // Default Directory
    QPushButton* browseButton_;           // Browse...
    QButtonGroup* modemGroup_;  // Modem Type
    // The audio input, enabled with "Audio".
    QGroupBox* audioBox_;
    QButtonGroup* audioSourceGroup_;
    QComboBox* audioDeviceField_;
    QLineEdit* audioPortField_;
    QLineEdit* audioFileField_;
    QLineEdit* audioCentreField_;
    QLineEdit* audioRateField_;
    QLineEdit* audioSearchField_;
    // The SDR input, enabled with "SDR": rtl_tcp or SoapySDR, and the tuning.
    QGroupBox* sdrBox_;
    QButtonGroup* sdrSourceGroup_;
    QLineEdit* sdrAddressField_;
    QLineEdit* sdrDeviceField_;
    QLineEdit* sdrFrequencyField_;
    QLineEdit* sdrOffsetField_;
    QLineEdit* sdrRateField_;
    QLineEdit* sdrGainField_;
    QLineEdit* sdrPpmField_;
    QListWidget* baudList_;      // Baud Rate
    QButtonGroup* logOnStartGroup_;  // Log On Start
    QButtonGroup* bootGroup_;  // TCP/IP Boot
    QCheckBox* logFecBox_;       // Log FEC status
    QRadioButton* autoTimeButton_; // Auto
    QRadioButton* manualTimeButton_; // Manual
    QLineEdit* offsetField_;           // UTC offset
    QPushButton* saveButton_;
    QPushButton* cancelButton_;
};

}  // namespace orv
