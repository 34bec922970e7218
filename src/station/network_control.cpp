#include "station/network_control.h"

#include "net/wire.h"
#include "station/station.h"

namespace orv {

NetworkControl::NetworkControl(Station& station, QObject* parent) : QObject(parent), station_(station) {
    connect(&station_.relay(), &Relay::StatusChanged, this, &NetworkControl::ShowStatus);
    connect(&station_.relay(), &Relay::ModeShown, this, &NetworkControl::FollowServerMode);
    connect(&station_.client(), &RelayClientInput::Status, this, &NetworkControl::ShowStatus);
    connect(&station_.client(), &RelayClientInput::ServerModeChanged, this, &NetworkControl::FollowServerMode);
    connect(&station_.client(), &RelayClientInput::StateChanged, this, &NetworkControl::OnClientState);
}

void NetworkControl::LoadSettings(const KeyValueStore& store) {
    addressText_ = QString::fromStdString(store.Read(kStartupKey, kServerSiteName));
    portText_ = QString::fromStdString(store.Read(kStartupKey, kPortName));
    if (portText_.isEmpty()) portText_ = QStringLiteral("1024");
    emit ViewChanged();
}

void NetworkControl::SaveServerSite(KeyValueStore& store) const {
    store.Write(kStartupKey, kServerSiteName, addressText_.toStdString());
}

void NetworkControl::SavePort(KeyValueStore& store) const {
    store.Write(kStartupKey, kPortName, portText_.toStdString());
}

void NetworkControl::StopLinks() {
    station_.relay().Server().Stop();
    station_.client().Disconnect();
}

void NetworkControl::GiveSerialPortBack() { station_.EndNetworkInput(); }

bool NetworkControl::LinkActive() const {
    return station_.client().State() != RelayClientInput::LinkState::Off || station_.relay().Server().IsListening();
}

void NetworkControl::SelectMode(NetMode mode) {
    mode_ = mode;
    view_.addressLabel = QStringLiteral("Host TCP/IP Address:");
    station_.relay().SetUdpOn(false);
    switch (mode) {
        case NetMode::Client:
            view_.addressVisible = view_.buttonVisible = true;
            view_.buttonText = QStringLiteral("Connect");
            view_.saveServerSiteEnabled = view_.portEnabled = view_.savePortEnabled = true;
            view_.modeGroupEnabled = false;
            ShowStatus(QString());
            StopLinks();
            // The server's blocks take the serial port's place.
            station_.BeginNetworkInput();
            break;
        case NetMode::Server:
            view_.addressVisible = view_.buttonVisible = false;
            view_.saveServerSiteEnabled = view_.portEnabled = view_.savePortEnabled = false;
            view_.modeGroupEnabled = true;
            station_.client().Disconnect();
            GiveSerialPortBack();
            // Status "Listening..." or why the port could not be opened.
            station_.relay().Server().Listen(PortFromText(portText_.toStdString(), kDefaultTcpPort));
            break;
        case NetMode::Off:
            // Only the port field comes back; the menu items stay as the last mode left them.
            view_.addressVisible = view_.buttonVisible = false;
            view_.portEnabled = true;
            view_.modeGroupEnabled = true;
            StopLinks();
            GiveSerialPortBack();
            ShowStatus(QString());
            break;
        case NetMode::Udp:
            station_.relay().SetUdpOn(true);
            view_.addressLabel = QStringLiteral("UDP To Address:");
            view_.addressVisible = view_.buttonVisible = true;
            view_.buttonText = QStringLiteral("Connect");
            view_.portEnabled = true;
            SetRealTime(false);
            view_.modeGroupEnabled = false;
            StopLinks();
            GiveSerialPortBack();
            ShowStatus(QString());
            break;
    }
    emit ViewChanged();
}

void NetworkControl::PressConnect() {
    if (mode_ == NetMode::Udp) {
        station_.relay().Udp().SetDestination(addressText_.trimmed(), PortFromText(portText_.toStdString(), kDefaultUdpPort));
        view_.buttonVisible = false;
        emit ViewChanged();
        return;
    }
    if (mode_ != NetMode::Client) return;
    const QString host = addressText_.trimmed();
    if (station_.client().State() == RelayClientInput::LinkState::Off && !host.isEmpty()) {
        view_.portEnabled = view_.savePortEnabled = false;
        emit ViewChanged();
        station_.client().ConnectTo(host, PortFromText(portText_.toStdString(), kDefaultTcpPort));
    } else {
        // Connected, connecting, waiting to reconnect, or no address: stop.
        station_.client().Disconnect();
        view_.portEnabled = view_.savePortEnabled = true;
        emit ViewChanged();
    }
}

void NetworkControl::OnClientState(RelayClientInput::LinkState state) {
    using S = RelayClientInput::LinkState;
    view_.buttonText = state == S::Off ? QStringLiteral("Connect") : QStringLiteral("Disconnect");
    if (state == S::Off) view_.portEnabled = view_.savePortEnabled = true;
    emit ViewChanged();
    // Connected: the text view follows "Raw".
    if (state == S::Connected) station_.SelectText(TextSelection::Raw);
}

void NetworkControl::SelectRelayItem(int item) {
    if (station_.client().IsConnected()) {
        emit ViewChanged();  // the window puts its selection back
        return;
    }
    SetRealTime(item == 0);
}

void NetworkControl::FollowServerMode(bool realTime) {
    // Only a client run from here follows its server; a headless station keeps its own mode.
    if (mode_ == NetMode::Client) SetRealTime(realTime);
}

void NetworkControl::SetRealTime(bool realTime) {
    station_.relay().SetRealTime(realTime);
    const int item = realTime ? 0 : 1;
    if (view_.relayItem == item) return;
    view_.relayItem = item;
    emit ViewChanged();
}

void NetworkControl::ShowStatus(const QString& text) {
    if (view_.status == text) return;
    view_.status = text;
    emit ViewChanged();
}

void NetworkControl::Close() {
    // The TCP sockets close; the UDP relay is not a link of this window's and goes on sending.
    StopLinks();
    GiveSerialPortBack();
}

}  // namespace orv
