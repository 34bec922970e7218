#pragma once
// The station's network modes as the TCP/IP window drives them: client, server, off and UDP, the
// address and port fields, "Connect"/"Disconnect", the "Real time"/"Full block" choice and the
// status text, over the station's relay (server and UDP sender) and client. The window only
// mirrors View() into its controls and forwards its clicks; the headless station uses the relay
// and the client directly.
#include <QObject>
#include <QString>

#include "inputs/relay_client_input.h"
#include "reception/settings_store.h"

namespace orv {

enum class NetMode { Client, Server, Off, Udp };

// The state of the window's controls.
struct NetworkView {
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

class Station;

class NetworkControl : public QObject {
    Q_OBJECT
public:
    // Settings names under "Startup".
    static constexpr std::string_view kServerSiteName = "Server Site";
    static constexpr std::string_view kPortName = "TCP/IP Port";

    explicit NetworkControl(Station& station, QObject* parent = nullptr);

    const NetworkView& View() const { return view_; }
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
    // The window closes: the TCP server and client close; the UDP relay keeps sending.
    void Close();
    // A connected or connecting client, or a listening server.
    bool LinkActive() const;

signals:
    void ViewChanged();

private:
    void StopLinks();
    void GiveSerialPortBack();
    void SetRealTime(bool realTime);
    void FollowServerMode(bool realTime);
    void ShowStatus(const QString& text);
    void OnClientState(RelayClientInput::LinkState state);

    Station& station_;
    NetMode mode_ = NetMode::Off;
    QString addressText_;
    QString portText_ = QStringLiteral("1024");
    NetworkView view_;
};

}  // namespace orv
