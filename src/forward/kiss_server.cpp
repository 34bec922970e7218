#include "forward/kiss_server.h"

namespace orv {

KissServer::KissServer(KissOutOptions options, QObject* parent) : QObject(parent), options_(options) {}

bool KissServer::Listen(std::uint16_t port, const QHostAddress& address) { return server_.Listen(port, address); }

void KissServer::Send(const ReceivedBlock& block) {
    if (!server_.HasClients()) return;
    frame_.clear();
    if (!AppendKissBlock(frame_, block, options_)) return;
    server_.SendToClients(frame_);
    ++framesSent_;
}

}  // namespace orv
