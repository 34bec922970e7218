#include "inputs/tcp_link.h"

namespace orv {

TcpLink::TcpLink(QObject* parent) : QObject(parent) {
    reconnectTimer_.setSingleShot(true);
    connect(&reconnectTimer_, &QTimer::timeout, this, &TcpLink::Attempt);
    connect(&socket_, &QTcpSocket::connected, this, [this] {
        if (state_ == State::Connecting) {
            SetState(State::Connected);
            emit Connected();
        }
    });
    connect(&socket_, &QTcpSocket::readyRead, this, [this] {
        if (state_ == State::Connected) emit DataReady();
    });
    connect(&socket_, &QTcpSocket::disconnected, this, [this] {
        if (state_ != State::Connected) return;
        // What arrived before the server closed still counts, all of it.
        while (state_ == State::Connected && socket_.bytesAvailable() > 0) emit DataReady();
        if (state_ == State::Connected) Down(true, QStringLiteral("the link was closed"));
    });
    // Errors of an established link end in the disconnection above.
    connect(&socket_, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError) {
        if (state_ != State::Connecting) return;
        const QString reason = socket_.errorString();
        socket_.abort();
        Down(false, reason);
    });
}

TcpLink::~TcpLink() {
    // Closing the socket as it is destroyed would report a lost link to a half-destroyed owner.
    socket_.disconnect(this);
    socket_.abort();
}

void TcpLink::ConnectTo(const QString& host, std::uint16_t port) {
    host_ = host.trimmed();
    port_ = port;
    Attempt();
}

void TcpLink::Attempt() {
    reconnectTimer_.stop();
    state_ = State::Off;  // dropping the old link is not a lost link
    socket_.abort();
    SetState(State::Connecting);
    socket_.connectToHost(host_, port_);
}

void TcpLink::Disconnect() {
    reconnectTimer_.stop();
    const bool wasActive = state_ != State::Off;
    state_ = State::Off;
    socket_.abort();
    if (wasActive) emit StateChanged(state_);
}

void TcpLink::Down(bool lost, const QString& reason) {
    // The report first: whoever watches the state may act on it at once.
    if (reconnectSeconds_ > 0) {
        emit LinkDown(lost, reason, reconnectSeconds_);
        reconnectTimer_.start(reconnectSeconds_ * 1000);
        SetState(State::WaitingToReconnect);
        return;
    }
    emit LinkDown(lost, reason, 0);
    SetState(State::Off);
}

void TcpLink::SetState(State state) {
    if (state_ == state) return;
    state_ = state;
    emit StateChanged(state_);
}

}  // namespace orv
