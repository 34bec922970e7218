#include "net/relay.h"

#include "net/wire.h"

namespace orv {

Relay::Relay(QObject* parent) : QObject(parent) {
    frame_.reserve(1024);
    connect(&server_, &RelayServer::StatusChanged, this, &Relay::StatusChanged);
    connect(&udp_, &UdpSender::StatusChanged, this, &Relay::StatusChanged);
}

void Relay::SendChunk(std::span<const std::uint8_t> bytes, bool withMarker) {
    BuildFrame(frame_, bytes, withMarker);
    server_.SendToClients(frame_);
}

void Relay::SendFullBlock(std::span<const std::uint8_t, kFullBlockBytes> block) {
    BuildFrame(frame_, block, true);
    server_.SendToClients(frame_);
}

void Relay::SendDatagram(std::span<const std::uint8_t> block) {
    BuildFrame(frame_, block, true);
    udp_.Send(frame_, receiverState_ && receiverState_->fecDelivery);
}

}  // namespace orv
