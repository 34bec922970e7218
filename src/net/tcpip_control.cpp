#include "net/tcpip_control.h"

#include "net/wire.h"

namespace orv {

TcpIpControl::TcpIpControl(StationState& station, BlockReceiver& receiver, MainWindowLink* mainWindow, QObject* parent)
    : QObject(parent), station_(station), mainWindow_(mainWindow), client_(station, receiver) {
    relay_.SetReceiverState(&station_.receiver);
    connect(&relay_, &Relay::StatusChanged, this, &TcpIpControl::ShowStatus);
    connect(&relay_, &Relay::ModeShown, this, &TcpIpControl::SetRealTime);
    connect(&client_, &NetworkClient::StatusChanged, this, &TcpIpControl::ShowStatus);
    connect(&client_, &NetworkClient::ServerModeLearned, this, &TcpIpControl::SetRealTime);
    connect(&client_, &NetworkClient::StateChanged, this, &TcpIpControl::OnClientState);
}

void TcpIpControl::LoadSettings(const KeyValueStore& store) {
    addressText_ = QString::fromStdString(store.Read(kStartupKey, kServerSiteName));
    portText_ = QString::fromStdString(store.Read(kStartupKey, kPortName));
    if (portText_.isEmpty()) portText_ = QStringLiteral("1024");
    emit ViewChanged();
}

void TcpIpControl::SaveServerSite(KeyValueStore& store) const {
    store.Write(kStartupKey, kServerSiteName, addressText_.toStdString());
}

void TcpIpControl::SavePort(KeyValueStore& store) const {
    store.Write(kStartupKey, kPortName, portText_.toStdString());
}

void TcpIpControl::StopLinks() {
    relay_.Server().Stop();
    client_.Disconnect();
}

void TcpIpControl::GiveSerialPortBack() {
    if (!reopenSerialPort_) return;
    reopenSerialPort_ = false;
    if (mainWindow_) mainWindow_->OpenSerialPort();
}

void TcpIpControl::SelectMode(NetMode mode) {
    mode_ = mode;
    view_.addressLabel = QStringLiteral("Host TCP/IP Address:");
    relay_.SetUdpOn(false);
    switch (mode) {
        case NetMode::Client:
            view_.addressVisible = view_.buttonVisible = true;
            view_.buttonText = QStringLiteral("Connect");
            view_.saveServerSiteEnabled = view_.portEnabled = view_.savePortEnabled = true;
            view_.modeGroupEnabled = false;
            ShowStatus(QString());
            StopLinks();
            // The server's blocks take the serial port's place.
            if (mainWindow_ && mainWindow_->SerialPortOpen()) {
                mainWindow_->CloseSerialPort();
                reopenSerialPort_ = true;
            }
            break;
        case NetMode::Server:
            view_.addressVisible = view_.buttonVisible = false;
            view_.saveServerSiteEnabled = view_.portEnabled = view_.savePortEnabled = false;
            view_.modeGroupEnabled = true;
            client_.Disconnect();
            GiveSerialPortBack();
            // Status "Listening..." or why the port could not be opened.
            relay_.Server().Listen(PortFromText(portText_.toStdString(), kDefaultTcpPort));
            break;
        case NetMode::Off:
            view_.addressVisible = view_.buttonVisible = false;
            view_.portEnabled = view_.savePortEnabled = true;
            view_.saveServerSiteEnabled = false;
            view_.modeGroupEnabled = true;
            StopLinks();
            GiveSerialPortBack();
            ShowStatus(QString());
            break;
        case NetMode::Udp:
            relay_.SetUdpOn(true);
            view_.addressLabel = QStringLiteral("UDP To Address:");
            view_.addressVisible = view_.buttonVisible = true;
            view_.buttonText = QStringLiteral("Connect");
            view_.saveServerSiteEnabled = view_.portEnabled = view_.savePortEnabled = true;
            SetRealTime(false);
            view_.modeGroupEnabled = false;
            StopLinks();
            GiveSerialPortBack();
            ShowStatus(QString());
            break;
    }
    emit ViewChanged();
}

void TcpIpControl::PressConnect() {
    if (mode_ == NetMode::Udp) {
        relay_.Udp().SetDestination(addressText_.trimmed(), PortFromText(portText_.toStdString(), kDefaultUdpPort));
        view_.buttonVisible = false;
        emit ViewChanged();
        return;
    }
    if (mode_ != NetMode::Client) return;
    const QString host = addressText_.trimmed();
    if (client_.State() == NetworkClient::LinkState::Off && !host.isEmpty()) {
        view_.portEnabled = view_.savePortEnabled = false;
        emit ViewChanged();
        client_.ConnectTo(host, PortFromText(portText_.toStdString(), kDefaultTcpPort));
    } else {
        // Connected, connecting, waiting to reconnect, or no address: stop.
        client_.Disconnect();
        view_.portEnabled = view_.savePortEnabled = true;
        emit ViewChanged();
    }
}

void TcpIpControl::OnClientState(NetworkClient::LinkState state) {
    using S = NetworkClient::LinkState;
    view_.buttonText = state == S::Off ? QStringLiteral("Connect") : QStringLiteral("Disconnect");
    if (state == S::Off) view_.portEnabled = view_.savePortEnabled = true;
    emit ViewChanged();
    if (state == S::Connected && mainWindow_) mainWindow_->SelectRawView();
}

void TcpIpControl::SelectRelayItem(int item) {
    if (client_.IsConnected()) {
        emit ViewChanged();  // the window puts its selection back
        return;
    }
    SetRealTime(item == 0);
}

void TcpIpControl::SetRealTime(bool realTime) {
    relay_.SetRealTime(realTime);
    const int item = realTime ? 0 : 1;
    if (view_.relayItem == item) return;
    view_.relayItem = item;
    emit ViewChanged();
}

void TcpIpControl::ShowStatus(const QString& text) {
    if (view_.status == text) return;
    view_.status = text;
    emit ViewChanged();
}

void TcpIpControl::Close() {
    StopLinks();
    relay_.Udp().SetDestination(QString(), 0);
    GiveSerialPortBack();
}

}  // namespace orv
