#include "net/relay_server.h"

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#endif

#include <QElapsedTimer>
#include <QTcpSocket>
#include <algorithm>

namespace orv {
namespace {

// "127.0.0.1:40312"; IPv4 peers of a dual-stack server shown in their plain form.
QString PeerText(const QTcpSocket& socket) {
    QHostAddress address = socket.peerAddress();
    bool isV4 = false;
    const quint32 v4 = address.toIPv4Address(&isV4);
    if (isV4) address = QHostAddress(v4);
    const QString host = address.protocol() == QAbstractSocket::IPv6Protocol
                             ? QStringLiteral("[%1]").arg(address.toString())
                             : address.toString();
    return QStringLiteral("%1:%2").arg(host).arg(socket.peerPort());
}

// Whether the process can open one more descriptor. Qt reports a failed accept once per
// listening socket and then takes later failures for temporary ones, so the server looks for
// itself before it lets the next connection come.
bool DescriptorFree(qintptr listening) {
#ifdef _WIN32
    Q_UNUSED(listening);
    return true;
#else
    const int probe = ::fcntl(static_cast<int>(listening), F_DUPFD_CLOEXEC, 0);
    if (probe < 0) return errno != EMFILE && errno != ENFILE;
    ::close(probe);
    return true;
#endif
}

}  // namespace

void RelayListener::incomingConnection(qintptr socketDescriptor) {
    auto* socket = new QTcpSocket(this);
    if (!socket->setSocketDescriptor(socketDescriptor, QAbstractSocket::ConnectedState,
                                     QIODevice::ReadWrite | QIODevice::Unbuffered)) {
        delete socket;
        return;
    }
    addPendingConnection(socket);
}

RelayServer::RelayServer(QObject* parent) : QObject(parent) {
    // Clients never speak first, so a connection the operating system could not queue for
    // accepting would hang unnoticed; room for a whole network reconnecting at once.
    server_.setListenBacklogSize(kListenBacklog);
    connect(&server_, &QTcpServer::newConnection, this, &RelayServer::OnNewConnection);
    connect(&server_, &QTcpServer::acceptError, this, &RelayServer::OnAcceptError);
    acceptRetry_.setSingleShot(true);
    acceptRetry_.setInterval(kAcceptRetryMilliseconds);
    connect(&acceptRetry_, &QTimer::timeout, this, &RelayServer::ResumeAccepting);
    clock_ = [timer = std::make_shared<QElapsedTimer>()] {
        if (!timer->isValid()) timer->start();
        return static_cast<std::int64_t>(timer->elapsed());
    };
}

void RelayServer::OnAcceptError(QAbstractSocket::SocketError) { PauseAccepting(); }

void RelayServer::PauseAccepting() {
    // Out of descriptors (EMFILE, ENFILE) a waiting connection stays in the listen queue and the
    // listening socket stays readable: accepting again at once would spin, and not accepting
    // again would leave the server deaf. Pause until a client leaves or the retry timer fires;
    // the connections wait in the queue meanwhile. Other accept errors get the same short pause.
    if (!acceptPaused_) server_.pauseAccepting();
    acceptPaused_ = true;
    acceptRetry_.start();
}

void RelayServer::ResumeAccepting() {
    if (!acceptPaused_ || !server_.isListening()) return;
    if (!DescriptorFree(server_.socketDescriptor())) {
        acceptRetry_.start();
        return;
    }
    acceptPaused_ = false;
    acceptRetry_.stop();
    server_.resumeAccepting();
}

RelayServer::~RelayServer() { Stop(); }

bool RelayServer::Listen(std::uint16_t port, const QHostAddress& address) {
    Stop();
    if (!server_.listen(address, port)) {
        errorText_ = server_.errorString();
        emit StatusChanged(QStringLiteral("Cannot listen on port %1: %2").arg(port).arg(errorText_));
        return false;
    }
    errorText_.clear();
    emit StatusChanged(QStringLiteral("Listening..."));
    return true;
}

void RelayServer::Stop() {
    server_.close();
    acceptRetry_.stop();
    acceptPaused_ = false;
    const auto clients = std::move(clients_);
    clients_.clear();
    dropped_.clear();
    outbox_.clear();
    for (const Client& client : clients) {
        client.socket->disconnect(this);
        client.socket->abort();
        client.socket->deleteLater();
    }
    shownCount_ = 0;
}

void RelayServer::OnNewConnection() {
    // What was sent before a client came is not for it.
    Flush();
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
        if (socket->state() != QAbstractSocket::ConnectedState) {
            socket->deleteLater();
            continue;
        }
        // Real-time chunks are small: send them at once rather than waiting to fill a packet.
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        socket->setSocketOption(QAbstractSocket::KeepAliveOption, 1);
        // Clients have nothing to say to the server; whatever they send is discarded.
        connect(socket, &QTcpSocket::readyRead, socket, [socket] { socket->skip(socket->bytesAvailable()); });
        connect(socket, &QTcpSocket::bytesWritten, this, [this, socket] { OnBytesWritten(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] { OnClientGone(socket); });
        // Client socket errors are not shown; a broken connection ends in its removal.
        connect(socket, &QTcpSocket::errorOccurred, this, [this, socket](QAbstractSocket::SocketError) {
            if (socket->state() != QAbstractSocket::ConnectedState) OnClientGone(socket);
        });
        clients_.push_back({socket, {}, 0, -1});
    }
    ShowCount();
    if (!DescriptorFree(server_.socketDescriptor())) PauseAccepting();
}

void RelayServer::OnClientGone(QTcpSocket* socket) {
    if (sending_) {
        dropped_.push_back({socket, false});
        return;
    }
    Remove(socket);
    ShowCount();
}

RelayServer::Client* RelayServer::Find(QTcpSocket* socket) {
    const auto it = std::find_if(clients_.begin(), clients_.end(), [socket](const Client& c) { return c.socket == socket; });
    return it == clients_.end() ? nullptr : &*it;
}

void RelayServer::Remove(QTcpSocket* socket) {
    const auto it = std::find_if(clients_.begin(), clients_.end(), [socket](const Client& c) { return c.socket == socket; });
    if (it == clients_.end()) return;
    clients_.erase(it);
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
    // Its descriptor is free once the socket is deleted: let a waiting connection in then.
    if (acceptPaused_) QMetaObject::invokeMethod(this, &RelayServer::ResumeAccepting, Qt::QueuedConnection);
}

void RelayServer::SendToClients(std::span<const std::uint8_t> bytes) {
    if (clients_.empty() || bytes.empty()) return;
    // Every client gets the same bytes, so they gather in one outbox and go out together when the
    // event loop comes round: one write per client for a whole burst instead of one per call.
    if (outbox_.empty()) QMetaObject::invokeMethod(this, &RelayServer::Flush, Qt::QueuedConnection);
    outbox_.insert(outbox_.end(), bytes.begin(), bytes.end());
    // A caller that does not return to the event loop still has its bytes sent, and the outbox
    // stays small (large buffers cost more to fill than the writes they save).
    if (outbox_.size() >= kOutboxBytes) Flush();
}

void RelayServer::Flush() {
    if (outbox_.empty()) return;
    const Chunk chunk = std::make_shared<const std::vector<std::uint8_t>>(std::move(outbox_));
    outbox_.clear();
    sending_ = true;
    for (Client& client : clients_) {
        if (client.socket->state() != QAbstractSocket::ConnectedState) {
            dropped_.push_back({client.socket, false});
            continue;
        }
        client.waiting.push_back(chunk);
        client.waitingBytes += static_cast<qint64>(chunk->size());
        // A failed write or a client that has fallen behind is dropped; the others still get
        // these bytes.
        if (!Drain(client))
            dropped_.push_back({client.socket, false});
        else if (FallenBehind(client))
            dropped_.push_back({client.socket, true});
    }
    sending_ = false;
    if (!dropped_.empty()) RemoveDropped();
}

bool RelayServer::Drain(Client& client) {
    // The socket takes what the system accepts and keeps the rest of that one write itself; the
    // next chunk waits until it has passed that on (bytesWritten).
    while (!client.waiting.empty() && client.socket->bytesToWrite() == 0) {
        const Chunk chunk = client.waiting.front();
        client.waiting.pop_front();
        const auto size = static_cast<qint64>(chunk->size());
        client.waitingBytes -= size;
        if (client.socket->write(reinterpret_cast<const char*>(chunk->data()), size) != size) return false;
    }
    return true;
}

bool RelayServer::FallenBehind(Client& client) {
    const qint64 unsent = client.Unsent();
    if (unsent <= unsentCap_) {
        client.behindSince = -1;
        return false;
    }
    if (unsent > unsentCap_ * kHardCapFactor) return true;
    const std::int64_t now = clock_();
    if (client.behindSince < 0) client.behindSince = now;
    return now - client.behindSince > kBehindMilliseconds;
}

void RelayServer::OnBytesWritten(QTcpSocket* socket) {
    if (sending_) return;  // the send under way hands on the waiting chunks itself
    Client* client = Find(socket);
    if (!client) return;
    if (!Drain(*client)) {
        OnClientGone(socket);
        return;
    }
    if (client->Unsent() <= unsentCap_) client->behindSince = -1;  // caught up
}

qint64 RelayServer::Client::Unsent() const { return waitingBytes + socket->bytesToWrite(); }

void RelayServer::RemoveDropped() {
    const auto dropped = std::move(dropped_);
    dropped_.clear();
    QStringList slow;
    for (const Dropped& d : dropped) {
        if (!Find(d.socket)) continue;
        if (d.slow) slow << PeerText(*d.socket);
        Remove(d.socket);
    }
    ShowCount();
    for (const QString& peer : slow)
        emit StatusChanged(QStringLiteral("Dropped site %1: more than %2 bytes unsent").arg(peer).arg(unsentCap_));
}

qint64 RelayServer::UnsentBytes() const {
    qint64 total = static_cast<qint64>(outbox_.size()) * ClientCount();
    for (const Client& client : clients_) total += client.Unsent();
    return total;
}

void RelayServer::ShowCount() {
    const int count = ClientCount();
    if (count == shownCount_) return;
    shownCount_ = count;
    emit StatusChanged(count == 0 ? QStringLiteral("Listening....")
                                  : QStringLiteral("Server Active: %1 site(s)").arg(count));
}

}  // namespace orv
