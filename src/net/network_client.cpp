#include "net/network_client.h"

#include <array>

namespace orv {

NetworkClient::NetworkClient(StationState& station, BlockReceiver& receiver, QObject* parent)
    : QObject(parent), station_(station), sink_(receiver, *this), reader_(sink_) {
    reconnectTimer_.setSingleShot(true);
    connect(&reconnectTimer_, &QTimer::timeout, this, &NetworkClient::Attempt);
    connect(&socket_, &QTcpSocket::connected, this, &NetworkClient::OnConnected);
    connect(&socket_, &QTcpSocket::readyRead, this, &NetworkClient::OnReadyRead);
    connect(&socket_, &QTcpSocket::disconnected, this, &NetworkClient::OnDisconnected);
    connect(&socket_, &QTcpSocket::errorOccurred, this, &NetworkClient::OnError);
}

NetworkClient::~NetworkClient() {
    socket_.disconnect(this);
    socket_.abort();
    if (state_ == LinkState::Connected) station_.flags.networkInputActive = false;
}

void NetworkClient::ConnectTo(const QString& host, std::uint16_t port) {
    host_ = host.trimmed();
    port_ = port;
    Attempt();
}

void NetworkClient::Attempt() {
    reconnectTimer_.stop();
    const bool wasConnected = state_ == LinkState::Connected;
    state_ = LinkState::Off;  // the abort below is not a lost link
    socket_.abort();
    if (wasConnected) station_.flags.networkInputActive = false;
    reader_.Reset();
    SetState(LinkState::Connecting);
    socket_.connectToHost(host_, port_);
}

void NetworkClient::Disconnect() {
    reconnectTimer_.stop();
    const bool wasConnected = state_ == LinkState::Connected;
    const bool wasActive = state_ != LinkState::Off;
    state_ = LinkState::Off;
    socket_.abort();
    reader_.Reset();
    if (wasConnected) station_.flags.networkInputActive = false;
    if (wasActive) {
        emit StatusChanged(QString());
        emit StateChanged(state_);
    }
}

void NetworkClient::OnConnected() {
    if (state_ != LinkState::Connecting) return;
    reader_.Reset();
    station_.flags.networkInputActive = true;
    SetState(LinkState::Connected);
    const QString name = socket_.peerName().isEmpty() ? QStringLiteral("unknown server") : socket_.peerName();
    emit StatusChanged(QStringLiteral("Connect to: ") + name);
}

void NetworkClient::OnReadyRead() {
    if (state_ != LinkState::Connected) return;
    std::array<std::uint8_t, NetworkBlockReader::kReadSize> buffer;
    // One read is at most 600 bytes, as the server's mode is learned from the read sizes.
    for (;;) {
        const qint64 n = socket_.read(reinterpret_cast<char*>(buffer.data()), static_cast<qint64>(buffer.size()));
        if (n <= 0 || state_ != LinkState::Connected) break;
        reader_.Read(std::span<const std::uint8_t>(buffer.data(), static_cast<std::size_t>(n)));
    }
}

void NetworkClient::OnDisconnected() {
    if (state_ != LinkState::Connected) return;
    // What arrived before the server closed still counts.
    OnReadyRead();
    if (state_ != LinkState::Connected) return;
    QString report;
    if (reader_.Capturing())
        report = QStringLiteral("Link lost to: %1 in a block (%2 of %3 bytes)")
                     .arg(host_)
                     .arg(reader_.CapturedBytes())
                     .arg(NetworkBlockReader::kCaptureBytes);
    else
        report = QStringLiteral("Link lost to: %1").arg(host_);
    station_.flags.networkInputActive = false;
    reader_.Reset();
    // Without reconnecting, a link closed by the server just clears the status.
    LinkDown(report, QString());
}

void NetworkClient::OnError(QAbstractSocket::SocketError) {
    // Errors of an established link end in OnDisconnected.
    if (state_ != LinkState::Connecting) return;
    socket_.abort();
    const QString report = QStringLiteral("Error connecting to: ") + host_;
    LinkDown(report, report);
}

void NetworkClient::LinkDown(const QString& report, const QString& finalStatus) {
    // The status first: whoever watches the state may act on it at once.
    if (reconnectSeconds_ > 0) {
        emit StatusChanged(QStringLiteral("%1; reconnecting in %2 s").arg(report).arg(reconnectSeconds_));
        reconnectTimer_.start(reconnectSeconds_ * 1000);
        SetState(LinkState::WaitingToReconnect);
        return;
    }
    emit StatusChanged(finalStatus);
    SetState(LinkState::Off);
}

void NetworkClient::SetState(LinkState state) {
    if (state_ == state) return;
    state_ = state;
    emit StateChanged(state_);
}

}  // namespace orv
