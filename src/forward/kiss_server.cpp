#include "forward/kiss_server.h"

#include "forward/kiss.h"

namespace orv {

KissServer::KissServer(QObject* parent) : QObject(parent) {}

bool KissServer::Listen(std::uint16_t port, const QHostAddress& address) { return server_.Listen(port, address); }

void KissServer::Send(const ReceivedBlock& block) {
    if (!server_.HasClients()) return;
    frame_.clear();
    AppendKissFrame(frame_, block.bytes);
    server_.SendToClients(frame_);
    ++framesSent_;
}

}  // namespace orv
