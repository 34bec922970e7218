#pragma once
// The relay to other stations: the TCP server ("Real time" or "Full block") and the UDP sender.
// In real time it taps the bytes of every receiver call and sends them as they came; in full
// block mode, and for UDP, it takes each completed block. It builds the wire forms (network sync
// marker first) and forwards both parts' status texts.
#include <QObject>
#include <QString>
#include <cstdint>
#include <vector>

#include "net/relay_server.h"
#include "net/udp_sender.h"
#include "pipeline/reception_pipeline.h"

namespace orv {

class Relay : public QObject, public BlockSink, public ByteTap {
    Q_OBJECT
public:
    explicit Relay(QObject* parent = nullptr);

    RelayServer& Server() { return server_; }
    UdpSender& Udp() { return udp_; }

    // "Real time" (true, the mode at start) or "Full block".
    void SetRealTime(bool realTime) { realTime_ = realTime; }
    bool RealTime() const { return realTime_; }
    // UDP mode: one datagram per completed block to the sender's destination.
    void SetUdpOn(bool on) { udpOn_ = on; }
    bool UdpOn() const { return udpOn_; }
    bool HasClients() const { return server_.HasClients(); }

    // ByteTap: well into a block the last datagram's status has been seen long enough; in real
    // time the bytes go to every client, behind the marker when they start a block.
    bool TapBytes(std::span<const std::uint8_t> bytes, const ChunkStart& start) override;
    // BlockSink: a good block from another station shows its relay mode; in full block mode the
    // block with its CRCC bytes goes to every client (a 512-byte block with two zero bytes, as a
    // client takes 514 bytes after each marker); with UDP on, one datagram of the block as it came.
    void TakeBlock(const ReceivedBlock& block) override;
    // Whether the last block taken went to the TCP clients (a send renews the pause rule's timer).
    bool SentLastBlock() const { return sentLastBlock_; }

signals:
    void StatusChanged(const QString& text);
    // A good block came in over the network in this mode: the window selects the matching item.
    void ModeShown(bool realTime);

private:
    RelayServer server_;
    UdpSender udp_;
    bool realTime_ = true;
    bool udpOn_ = false;
    bool sentLastBlock_ = false;
    std::vector<std::uint8_t> frame_;  // reused for every send
};

}  // namespace orv
