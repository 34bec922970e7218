#pragma once
// NetworkWindow, the TCP/IP window "TCP/IP          Orv": the network mode (client, server, off, UDP),
// the host address and port fields, "Connect"/"Disconnect", the "Real time"/"Full block" choice
// and the status line. It mirrors TcpIpControl into its controls and forwards its clicks; the
// relay it drives is the main window's, so every block the station receives reaches it.
#include <QMainWindow>
#include <array>

#include "net/tcpip_control.h"
#include "reception/settings_store.h"

class QAction;
class QButtonGroup;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace orv {

class MainWindow;

class NetworkWindow : public QMainWindow, private MainWindowLink {
    Q_OBJECT
public:
    // Sets the relay on the main window's station, reads "Server Site" and "TCP/IP Port" into the
    // fields and restores the position.
    NetworkWindow(MainWindow& mainWindow, KeyValueStore& store, QWidget* parent = nullptr);
    ~NetworkWindow() override;

    TcpIpControl& Control() { return control_; }

    // Handlers under the names of the window layout.
    void RadioButton1Click();  // "Client (data in)"
    void RadioButton2Click();  // "Server (data out)"
    void RadioButton3Click();  // "TCP/IP Off"
    void RadioButton4Click();  // "UDP (data out)"
    void Button1Click();       // "Connect"/"Disconnect"
    void RadioGroup1Click(int item);  // 0 "Real time", 1 "Full block"
    void SaveServerIPAddr1Click();
    void SavePort1Click();

    // For the main window: "Boot Server" at start-up, and "Replay", which switches the link off
    // while the station is a client or a server.
    void BootServer();
    bool LinkActive();

    // Controls, for tests.
    QRadioButton* ModeButton(NetMode mode) const { return modeButtons_[static_cast<std::size_t>(mode)]; }
    QLabel* AddressLabel() const { return label1_; }
    QLineEdit* AddressField() const { return edit1_; }
    QLineEdit* PortField() const { return edit2_; }
    QPushButton* ConnectButton() const { return button1_; }
    QGroupBox* RelayGroup() const { return radioGroup1_; }
    QRadioButton* RelayItem(int item) const { return relayItems_[static_cast<std::size_t>(item)]; }
    QString StatusText() const;
    QAction* SaveServerSiteAction() const { return saveServerSite_; }
    QAction* SavePortAction() const { return savePort_; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // MainWindowLink: the client takes the serial port's place and gives it back.
    bool SerialPortOpen() const override;
    void CloseSerialPort() override;
    void OpenSerialPort() override;
    void SelectRawView() override;

    void BuildControls();
    void BuildMenu();
    void SelectMode(NetMode mode);
    // Puts the control's state into the window's controls.
    void Refresh();

    MainWindow& mainWindow_;
    KeyValueStore& store_;
    TcpIpControl control_;

    std::array<QRadioButton*, 4> modeButtons_{};  // in NetMode order: Client, Server, Off, UDP
    QButtonGroup* modeGroup_ = nullptr;
    QLabel* label1_ = nullptr;
    QLineEdit* edit1_ = nullptr;
    QLineEdit* edit2_ = nullptr;
    QPushButton* button1_ = nullptr;
    QGroupBox* radioGroup1_ = nullptr;
    std::array<QRadioButton*, 2> relayItems_{};
    QButtonGroup* relayGroup_ = nullptr;
    QLabel* status_ = nullptr;  // the status bar's one panel
    QAction* saveServerSite_ = nullptr;
    QAction* savePort_ = nullptr;
};

// Wires the window to the main window as the program does: the menu item "Internet", "Boot
// Server" at start-up and "Replay" switching the link off.
void AttachTcpIpWindow(MainWindow& mainWindow, NetworkWindow& networkWindow);

}  // namespace orv
