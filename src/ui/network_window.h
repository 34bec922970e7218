#pragma once
// NetworkWindow, the TCP/IP window "TCP/IP          Orv": the network mode (client, server, off, UDP),
// the host address and port fields, "Connect"/"Disconnect", the "Real time"/"Full block" choice
// and the status line. It mirrors the station's NetworkControl into its controls and forwards the
// operator's choices to it.
#include <QMainWindow>
#include <array>

#include "station/network_control.h"
#include "reception/settings_store.h"

class QAction;
class QButtonGroup;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace orv {

class Station;

class NetworkWindow : public QMainWindow {
    Q_OBJECT
public:
    // Shows the station's network control: reads "Server Site" and "TCP/IP Port" into the fields
    // and restores the position.
    NetworkWindow(Station& station, KeyValueStore& store, QWidget* parent = nullptr);

    NetworkControl& Control() { return control_; }

    // The operator's choices: a network mode (as its radio button), "Connect"/"Disconnect",
    // "Real time" (0) or "Full block" (1), and the two "Menu" items.
    void ChooseMode(NetMode mode);
    void ConnectClick();
    void ChooseRelayItem(int item);
    void SaveServerSiteClick();
    void SavePortClick();

    // Controls, for tests.
    QRadioButton* ModeButton(NetMode mode) const { return modeButtons_[static_cast<std::size_t>(mode)]; }
    QLabel* AddressLabel() const { return addressLabel_; }
    QLineEdit* AddressField() const { return addressField_; }
    QLineEdit* PortField() const { return portField_; }
    QPushButton* ConnectButton() const { return connectButton_; }
    QGroupBox* RelayGroup() const { return relayBox_; }
    QRadioButton* RelayItem(int item) const { return relayItems_[static_cast<std::size_t>(item)]; }
    QString StatusText() const;
    QAction* SaveServerSiteAction() const { return saveServerSite_; }
    QAction* SavePortAction() const { return savePort_; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildControls();
    void BuildMenu();
    void SelectMode(NetMode mode);
    // Puts the control's state into the window's controls.
    void Refresh();

    KeyValueStore& store_;
    NetworkControl& control_;

    std::array<QRadioButton*, 4> modeButtons_{};  // in NetMode order: Client, Server, Off, UDP
    QButtonGroup* modeGroup_ = nullptr;
    QLabel* addressLabel_ = nullptr;
    QLineEdit* addressField_ = nullptr;
    QLineEdit* portField_ = nullptr;
    QPushButton* connectButton_ = nullptr;
    QGroupBox* relayBox_ = nullptr;
    std::array<QRadioButton*, 2> relayItems_{};
    QButtonGroup* relayGroup_ = nullptr;
    QLabel* status_ = nullptr;  // the status bar's one panel
    QAction* saveServerSite_ = nullptr;
    QAction* savePort_ = nullptr;
};

}  // namespace orv
