#pragma once
// KISS out over TCP: every block as KISS frames to every connected client (direwolf, SDR
// decoders, a second Orv). The relay's server carries it, so a client that stops reading is
// dropped at the same backlog cap as on the relay, without holding up the others.
#include <QHostAddress>
#include <QObject>
#include <cstdint>
#include <vector>

#include "forward/kiss.h"
#include "net/relay_server.h"
#include "reception/received_block.h"

namespace orv {

class KissServer : public QObject {
    Q_OBJECT
public:
    explicit KissServer(KissOutOptions options = {}, QObject* parent = nullptr);

    // Starts listening on `address` (port 0: any free port). False, with the reason in
    // Server().ErrorText().
    bool Listen(std::uint16_t port, const QHostAddress& address = QHostAddress::Any);
    void Stop() { server_.Stop(); }

    // Sends the block's frames (KissOutOptions; the transmitted bytes). Nothing is built when no
    // client listens.
    void Send(const ReceivedBlock& block);

    RelayServer& Server() { return server_; }
    std::uint64_t FramesSent() const { return framesSent_; }

private:
    KissOutOptions options_;
    RelayServer server_;
    std::vector<std::uint8_t> frame_;
    std::uint64_t framesSent_ = 0;
};

}  // namespace orv
