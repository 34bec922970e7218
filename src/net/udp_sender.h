#pragma once
// The UDP relay: one datagram per completed block to a fixed host and port. A host name is looked
// up once when the destination is set; a block that completes during the look-up waits for it.
#include <QHostAddress>
#include <QHostInfo>
#include <QObject>
#include <QString>
#include <QUdpSocket>
#include <cstdint>
#include <span>
#include <vector>

namespace orv {

class UdpSender : public QObject {
    Q_OBJECT
public:
    explicit UdpSender(QObject* parent = nullptr);

    // The destination; an empty host clears it.
    void SetDestination(const QString& host, std::uint16_t port);
    QString Host() const { return host_; }
    std::uint16_t DestinationPort() const { return port_; }
    // The destination is known and its address resolved.
    bool Ready() const { return !address_.isNull(); }

    // Sends one datagram (the marker and the block). Status "Telemetry sent!", or "FEC blk sent!"
    // for a block rebuilt from an FEC frame; "Invalid Host!" when there is no usable destination.
    void Send(std::span<const std::uint8_t> datagram, bool fromFec);

signals:
    void StatusChanged(const QString& text);

private:
    void OnLookedUp(const QHostInfo& info);
    void Transmit(std::span<const std::uint8_t> datagram, bool fromFec);

    QUdpSocket socket_;
    QString host_;
    std::uint16_t port_ = 0;
    QHostAddress address_;
    int lookupId_ = -1;
    std::vector<std::uint8_t> waiting_;  // the latest datagram held during a look-up
    bool waitingFromFec_ = false;
};

}  // namespace orv
