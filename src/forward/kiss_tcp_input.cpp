#include "forward/kiss_tcp_input.h"

namespace orv {

KissTcpInput::KissTcpInput(KissBlockDeframer::BlockHandler onBlock, QObject* parent)
    : QObject(parent), deframer_(std::move(onBlock)) {
    reconnectTimer_.setSingleShot(true);
    connect(&reconnectTimer_, &QTimer::timeout, this, &KissTcpInput::Attempt);
    connect(&socket_, &QTcpSocket::connected, this, [this] {
        deframer_.Reset();
        emit StatusChanged(QStringLiteral("KISS: connected to %1:%2").arg(host_).arg(port_));
    });
    connect(&socket_, &QTcpSocket::readyRead, this, &KissTcpInput::OnReadyRead);
    connect(&socket_, &QTcpSocket::disconnected, this, [this] { LinkDown(QStringLiteral("the link was closed")); });
    connect(&socket_, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError error) {
        // A closed link reports both an error and the disconnection; act on the state once.
        if (error == QAbstractSocket::RemoteHostClosedError) return;
        if (socket_.state() != QAbstractSocket::ConnectedState) LinkDown(socket_.errorString());
    });
}

KissTcpInput::~KissTcpInput() {
    // Closing the socket as it is destroyed would report a lost link to a half-destroyed input.
    wanted_ = false;
    socket_.disconnect(this);
    socket_.abort();
}

void KissTcpInput::ConnectTo(const QString& host, std::uint16_t port) {
    host_ = host;
    port_ = port;
    wanted_ = true;
    Attempt();
}

void KissTcpInput::Disconnect() {
    wanted_ = false;
    reconnectTimer_.stop();
    socket_.abort();
}

void KissTcpInput::Attempt() {
    if (!wanted_) return;
    reconnectTimer_.stop();
    socket_.blockSignals(true);  // dropping the old link is not a lost link
    socket_.abort();
    socket_.blockSignals(false);
    deframer_.Reset();
    socket_.connectToHost(host_, port_);
}

void KissTcpInput::LinkDown(const QString& reason) {
    if (!wanted_ || reconnectTimer_.isActive()) return;
    const QString where = QStringLiteral("KISS: %1:%2: %3").arg(host_).arg(port_).arg(reason);
    if (reconnectSeconds_ <= 0) {
        wanted_ = false;
        emit StatusChanged(where);
        return;
    }
    emit StatusChanged(QStringLiteral("%1; trying again in %2 s").arg(where).arg(reconnectSeconds_));
    reconnectTimer_.start(reconnectSeconds_ * 1000);
}

void KissTcpInput::OnReadyRead() {
    const QByteArray bytes = socket_.readAll();
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.constData());
    if (deframer_.Feed(std::span(data, static_cast<std::size_t>(bytes.size()))) > 0)
        emit FramesSkipped(QString::fromStdString(KissSkipsText(deframer_.Skips())));
}

}  // namespace orv
