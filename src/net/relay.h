#pragma once
// The relay as the block receiver drives it: the TCP server ("Real time" or "Full block") and the
// UDP sender, behind RelayPort. It builds the wire forms and forwards both parts' status texts.
#include <QObject>
#include <QString>
#include <cstdint>
#include <vector>

#include "net/relay_server.h"
#include "net/udp_sender.h"
#include "reception/receiver.h"
#include "reception/station_state.h"

namespace orv {

class Relay : public QObject, public RelayPort {
    Q_OBJECT
public:
    explicit Relay(QObject* parent = nullptr);

    RelayServer& Server() { return server_; }
    UdpSender& Udp() { return udp_; }

    // "Real time" (true, the mode at start) or "Full block".
    void SetRealTime(bool realTime) { realTime_ = realTime; }
    // UDP mode: one datagram per completed block to the sender's destination.
    void SetUdpOn(bool on) { udpOn_ = on; }
    // The receiver state, read to tell blocks rebuilt from FEC frames in the UDP status.
    void SetReceiverState(const ReceiverState* state) { receiverState_ = state; }

    bool HasClients() const override { return server_.HasClients(); }
    bool RealTime() const override { return realTime_; }
    bool UdpOn() const override { return udpOn_; }
    void ClearStatus() override { emit StatusChanged(QString()); }
    void SendChunk(std::span<const std::uint8_t> bytes, bool withMarker) override;
    void SendFullBlock(std::span<const std::uint8_t, kFullBlockBytes> block) override;
    void SendDatagram(std::span<const std::uint8_t> block) override;
    void ShowMode(bool realTime) override { emit ModeShown(realTime); }

signals:
    void StatusChanged(const QString& text);
    // A good block came in over the network in this mode: the window selects the matching item.
    void ModeShown(bool realTime);

private:
    RelayServer server_;
    UdpSender udp_;
    bool realTime_ = true;
    bool udpOn_ = false;
    const ReceiverState* receiverState_ = nullptr;
    std::vector<std::uint8_t> frame_;  // reused for every send
};

}  // namespace orv
