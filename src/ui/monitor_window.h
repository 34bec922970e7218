#pragma once
// MonitorWindow, the Monitor: up to ten telemetry addresses of the display block, shown as bytes or words
// in decimal (optionally signed), hexadecimal or binary; "Data Window" opens the byte dump.
#include <QWidget>
#include <array>

#include "reception/station_state.h"
#include "tools/monitor.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace orv {

class ByteDumpWindow;

class MonitorWindow : public QWidget {
    Q_OBJECT
public:
    // Restores the position and the ten addresses; "Hex" and "Byte", "Signed" disabled.
    MonitorWindow(KeyValueStore& store, const StationState& station, QWidget* parent = nullptr);

    // The byte dump window that "Data Window" shows and that reads out and copies addresses here.
    void AttachByteDump(ByteDumpWindow* byteDumpWindow);

    // Refreshes the value fields from the display block, then the byte dump if it is shown.
    void MonitorUpdate();

    // Handlers under the names of the window layout.
    void RadioButton1Click();  // "Dec"
    void RadioButton2Click();  // "Hex"
    void RadioButton3Click();  // "Bin"
    void RadioButton4Click();  // "Word"
    void RadioButton5Click();  // "Byte"
    void CheckBox1Click();     // "Signed"
    void CheckBox2Click();     // "Data Window"
    void Button1Click();       // "Clear"

    const MonitorFormat& Format() const { return format_; }
    MonitorFields Addresses() const;
    MonitorFields Values() const;
    QLineEdit* AddressField(int i) const { return edits_[static_cast<std::size_t>(i)]; }
    QLabel* ValueField(int i) const { return values_[static_cast<std::size_t>(i)]; }
    QLabel* Readout() const { return staticText11_; }
    QRadioButton* BaseButton(MonitorBase base) const;
    QRadioButton* WordButton() const { return radioButton4_; }
    QRadioButton* ByteButton() const { return radioButton5_; }
    QCheckBox* SignedBox() const { return checkBox1_; }
    QCheckBox* DataWindowBox() const { return checkBox2_; }
    QPushButton* ClearButton() const { return button1_; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildControls();
    // Sets the format controls from the format and refreshes.
    void FormatChanged();
    void SaveOnClose();
    void CopyAddress(const QString& address);

    KeyValueStore& store_;
    const StationState& station_;
    MonitorFormat format_;
    ByteDumpWindow* byteDumpWindow_ = nullptr;

    std::array<QLineEdit*, kMonitorFields> edits_{};
    std::array<QLabel*, kMonitorFields> values_{};
    QLabel* staticText11_ = nullptr;
    QRadioButton* radioButton1_ = nullptr;  // Dec
    QRadioButton* radioButton2_ = nullptr;  // Hex
    QRadioButton* radioButton3_ = nullptr;  // Bin
    QRadioButton* radioButton4_ = nullptr;  // Word
    QRadioButton* radioButton5_ = nullptr;  // Byte
    QCheckBox* checkBox1_ = nullptr;        // Signed
    QCheckBox* checkBox2_ = nullptr;        // Data Window
    QPushButton* button1_ = nullptr;        // Clear
};

}  // namespace orv
