#pragma once
// What the TCP/IP window drives: the four network modes, the address and port fields, the
// "Connect"/"Disconnect" button, the "Real time"/"Full block" choice and the status text, over the
// relay (server and UDP sender) and the client. The window only mirrors View() into its controls
// and forwards its clicks; the headless station uses Relay and NetworkClient directly.
#include <QObject>
#include <QString>

#include "net/network_client.h"
#include "net/relay.h"
#include "reception/receiver.h"
#include "reception/settings_store.h"
#include "reception/station_state.h"

namespace orv {

enum class NetMode { Client, Server, Off, Udp };

// What the TCP/IP window needs of the main window: the client takes the serial port's place and
// gives it back when it stops.
class MainWindowLink {
public:
    virtual ~MainWindowLink() = default;
    virtual bool SerialPortOpen() const = 0;
    virtual void CloseSerialPort() = 0;
    virtual void OpenSerialPort() = 0;
    // The client is connected: the main window's text view follows "Raw".
    virtual void SelectRawView() = 0;
};

// The state of the window's controls.
struct TcpIpView {
    QString addressLabel = QStringLiteral("Host TCP/IP Address:");  // or "UDP To Address:"
    bool addressVisible = false;        // address field and its label
    bool buttonVisible = false;
    QString buttonText = QStringLiteral("Connect");
    bool portEnabled = true;
    bool saveServerSiteEnabled = false;
    bool savePortEnabled = true;
    bool modeGroupEnabled = true;       // "Real time"/"Full block"
    int relayItem = 0;                  // 0 "Real time", 1 "Full block"
    QString status;
};

class TcpIpControl : public QObject {
    Q_OBJECT
public:
    // Settings names under "Startup".
    static constexpr std::string_view kServerSiteName = "Server Site";
    static constexpr std::string_view kPortName = "TCP/IP Port";

    TcpIpControl(StationState& station, BlockReceiver& receiver, MainWindowLink* mainWindow, QObject* parent = nullptr);

    Relay& relay() { return relay_; }
    NetworkClient& client() { return client_; }
    const TcpIpView& View() const { return view_; }
    NetMode Mode() const { return mode_; }

    // "Server Site" into the address field, "TCP/IP Port" into the port field ("1024" when empty).
    void LoadSettings(const KeyValueStore& store);
    // Menu "Save Server IP Addr" and "Save Port".
    void SaveServerSite(KeyValueStore& store) const;
    void SavePort(KeyValueStore& store) const;

    QString AddressText() const { return addressText_; }
    QString PortText() const { return portText_; }
    void SetAddressText(const QString& text) { addressText_ = text; }
    void SetPortText(const QString& text) { portText_ = text; }

    // The radio buttons "Client (data in)", "Server (data out)", "TCP/IP Off", "UDP (data out)".
    void SelectMode(NetMode mode);
    // Button1: "Connect"/"Disconnect"; in UDP mode it sets the destination.
    void PressConnect();
    // "Real time" (item 0) or "Full block" (item 1); ignored while the client is connected.
    void SelectRelayItem(int item);
    // The window closes: both sockets close.
    void Close();

signals:
    void ViewChanged();

private:
    void StopLinks();
    void GiveSerialPortBack();
    void SetRealTime(bool realTime);
    void ShowStatus(const QString& text);
    void OnClientState(NetworkClient::LinkState state);

    StationState& station_;
    MainWindowLink* mainWindow_;
    Relay relay_;
    NetworkClient client_;
    NetMode mode_ = NetMode::Off;
    QString addressText_;
    QString portText_ = QStringLiteral("1024");
    bool reopenSerialPort_ = false;
    TcpIpView view_;
};

}  // namespace orv
