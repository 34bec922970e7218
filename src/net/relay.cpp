#include "net/relay.h"

#include <algorithm>

#include "net/wire.h"

namespace orv {

Relay::Relay(QObject* parent) : QObject(parent) {
    frame_.reserve(1024);
    connect(&server_, &RelayServer::StatusChanged, this, &Relay::StatusChanged);
    connect(&udp_, &UdpSender::StatusChanged, this, &Relay::StatusChanged);
}

bool Relay::TapBytes(std::span<const std::uint8_t> bytes, const ChunkStart& start) {
    if (start.position > 50 && udpOn_) emit StatusChanged(QString());
    if (!realTime_ || !server_.HasClients()) return false;
    BuildFrame(frame_, bytes, start.startsBlock);
    server_.SendToClients(frame_);
    return true;
}

void Relay::TakeBlock(const ReceivedBlock& block) {
    if (block.origin == BlockOrigin::Relay && block.verdict == CrccVerdict::Ok) emit ModeShown(realTime_);
    sentLastBlock_ = !realTime_ && server_.HasClients();
    if (sentLastBlock_) {
        Block514 full{};
        std::copy(block.bytes.begin(), block.bytes.end(), full.begin());
        BuildFrame(frame_, full, true);
        server_.SendToClients(frame_);
    }
    if (udpOn_) {
        BuildFrame(frame_, block.bytes, true);
        udp_.Send(frame_, block.FromFec());
    }
}

}  // namespace orv
