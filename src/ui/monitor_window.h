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

    // What the format buttons do: set the format, then the controls and the values from it.
    void ChooseDecimal();  // "Dec"
    void ChooseHex();      // "Hex"
    void ChooseBinary();   // "Bin"
    void ChooseWord();     // "Word"
    void ChooseByte();     // "Byte"
    // Signed or unsigned decimal as the "Signed" box says.
    void ChooseSigned();
    // Shows the byte dump while "Data Window" is checked, hides it otherwise.
    void ShowOrHideByteDump();
    // "Clear": empties all address and value fields.
    void ClearFields();

    const MonitorFormat& Format() const { return format_; }
    MonitorFields Addresses() const;
    MonitorFields Values() const;
    QLineEdit* AddressField(int i) const { return addressFields_[static_cast<std::size_t>(i)]; }
    QLabel* ValueField(int i) const { return valueFields_[static_cast<std::size_t>(i)]; }
    QLabel* Readout() const { return addressReadout_; }
    QRadioButton* BaseButton(MonitorBase base) const;
    QRadioButton* WordButton() const { return wordButton_; }
    QRadioButton* ByteButton() const { return byteButton_; }
    QCheckBox* SignedBox() const { return signedBox_; }
    QCheckBox* DataWindowBox() const { return dataWindowBox_; }
    QPushButton* ClearButton() const { return clearButton_; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildControls();
    // Sets the format controls from the format and refreshes.
    void FormatChanged();
    void SaveAddresses();
    void CopyAddress(const QString& address);

    KeyValueStore& store_;
    const StationState& station_;
    MonitorFormat format_;
    ByteDumpWindow* byteDumpWindow_ = nullptr;

    std::array<QLineEdit*, kMonitorFields> addressFields_{};
    std::array<QLabel*, kMonitorFields> valueFields_{};
    QLabel* addressReadout_ = nullptr;
    QRadioButton* decButton_ = nullptr;
    QRadioButton* hexButton_ = nullptr;
    QRadioButton* binButton_ = nullptr;
    QRadioButton* wordButton_ = nullptr;
    QRadioButton* byteButton_ = nullptr;
    QCheckBox* signedBox_ = nullptr;
    QCheckBox* dataWindowBox_ = nullptr;  // "Data Window"
    QPushButton* clearButton_ = nullptr;
};

}  // namespace orv
