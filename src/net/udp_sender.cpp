#include "net/udp_sender.h"

#include <QHostInfo>

namespace orv {

namespace {
const QString kInvalidHost = QStringLiteral("Invalid Host!");
}

UdpSender::UdpSender(QObject* parent) : QObject(parent) {
    connect(&socket_, &QUdpSocket::errorOccurred, this,
            [this](QAbstractSocket::SocketError) { emit StatusChanged(socket_.errorString()); });
}

void UdpSender::SetDestination(const QString& host, std::uint16_t port) {
    if (lookupId_ >= 0) QHostInfo::abortHostLookup(lookupId_);
    lookupId_ = -1;
    waiting_.clear();
    host_ = host.trimmed();
    port_ = port;
    address_.clear();
    if (host_.isEmpty()) return;
    if (QHostAddress literal; literal.setAddress(host_)) {
        address_ = literal;
        return;
    }
    lookupId_ = QHostInfo::lookupHost(host_, this, &UdpSender::OnLookedUp);
}

void UdpSender::OnLookedUp(const QHostInfo& info) {
    if (info.lookupId() != lookupId_) return;
    lookupId_ = -1;
    // Prefer an IPv4 address: the socket is unbound and the first send picks the family.
    for (const QHostAddress& a : info.addresses()) {
        if (a.protocol() == QAbstractSocket::IPv4Protocol) {
            address_ = a;
            break;
        }
    }
    if (address_.isNull() && !info.addresses().isEmpty()) address_ = info.addresses().front();
    auto waiting = std::move(waiting_);
    waiting_.clear();
    if (address_.isNull()) {
        emit StatusChanged(kInvalidHost);
        return;
    }
    if (!waiting.empty()) Transmit(waiting, waitingFromFec_);
}

void UdpSender::Send(std::span<const std::uint8_t> datagram, bool fromFec) {
    if (lookupId_ >= 0) {
        waiting_.assign(datagram.begin(), datagram.end());
        waitingFromFec_ = fromFec;
        return;
    }
    if (address_.isNull()) {
        emit StatusChanged(kInvalidHost);
        return;
    }
    Transmit(datagram, fromFec);
}

void UdpSender::Transmit(std::span<const std::uint8_t> datagram, bool fromFec) {
    const qint64 sent = socket_.writeDatagram(reinterpret_cast<const char*>(datagram.data()),
                                              static_cast<qint64>(datagram.size()), address_, port_);
    // A failure has been reported through errorOccurred.
    if (sent == static_cast<qint64>(datagram.size()))
        emit StatusChanged(fromFec ? QStringLiteral("FEC blk sent!") : QStringLiteral("Telemetry sent!"));
}

}  // namespace orv
