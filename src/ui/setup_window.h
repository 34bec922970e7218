#pragma once
// SetupWindow, the Setup window: port, data directory, modem type, baud rate, log on start, TCP/IP
// boot, FEC log and UTC offset.
#include <QWidget>
#include <functional>

#include "reception/setup_choices.h"

class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace orv {

class UserMessages;

class SetupWindow : public QWidget {
    Q_OBJECT
public:
    SetupWindow(KeyValueStore& store, StationState& station, const Clock& clock, UserMessages& messages, QWidget* parent = nullptr);

    // Called after a successful "Save".
    void SetAfterSave(std::function<void()> afterSave) { afterSave_ = std::move(afterSave); }

    // "Setup" from the main window's menu: fill from the current settings and show (not modal).
    void Setup1Click();
    // First run: shown modally in its design state.
    void ShowFirstRun();

    SetupChoices Choices() const;
    void SetChoices(const SetupChoices& c);

    void Button1Click();  // "Save"
    void Button2Click();  // "Cancel"
    void RadioButton1Click();  // "Auto"
    void RadioButton2Click();  // "Manual"

    QPushButton* SaveButton() const { return button1_; }
    QLineEdit* OffsetField() const { return edit1_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    static void Select(QButtonGroup* group, int item);

    KeyValueStore& store_;
    StationState& station_;
    const Clock& clock_;
    UserMessages& messages_;
    std::function<void()> afterSave_;

    QButtonGroup* radioGroup1_;  // Com Port
    QLineEdit* edit2_;           // Default Directory
    QButtonGroup* radioGroup4_;  // Modem Type
    QListWidget* listBox4_;      // Baud Rate
    QButtonGroup* radioGroup2_;  // Log On Start
    QButtonGroup* radioGroup5_;  // TCP/IP Boot
    QCheckBox* checkBox1_;       // Log FEC status
    QRadioButton* radioButton1_; // Auto
    QRadioButton* radioButton2_; // Manual
    QLineEdit* edit1_;           // UTC offset
    QPushButton* button1_;
    QPushButton* button2_;
};

}  // namespace orv
