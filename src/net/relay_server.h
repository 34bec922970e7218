#pragma once
// The TCP relay server: listens on the station's port and writes the relay's bytes to every
// connected client. Event driven on the caller's thread; writes never block. Clients only
// receive: what they send is read and thrown away. A client that stops reading is dropped once
// its unsent bytes have stayed above the cap for kBehindMilliseconds, or at once past the hard
// cap, so it can neither grow the server's memory nor hold up the rest; a scheduling hiccup that
// lets the bytes pile up for a moment drops nobody.
// Bytes that a slow client cannot take yet wait as chunks shared by all such clients, not as a
// copy per client.
#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QTcpServer>
#include <QTimer>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <span>
#include <vector>

class QTcpSocket;

namespace orv {

// The listening socket. Its client sockets are unbuffered: a write goes straight to the operating
// system, and Qt keeps only what the system could not take yet.
class RelayListener : public QTcpServer {
public:
    using QTcpServer::QTcpServer;

protected:
    void incomingConnection(qintptr socketDescriptor) override;
};

class RelayServer : public QObject {
    Q_OBJECT
public:
    static constexpr qint64 kDefaultUnsentCap = 1024 * 1024;
    // A client above the cap this long (ms) without coming back under it is dropped.
    static constexpr std::int64_t kBehindMilliseconds = 5000;
    // A client with more than this many times the cap unsent is dropped at once.
    static constexpr qint64 kHardCapFactor = 32;
    // With no descriptor free for a new connection, accepting waits this long (ms) before it
    // tries again, or until a client leaves.
    static constexpr int kAcceptRetryMilliseconds = 250;
    // Milliseconds from any fixed origin.
    using MillisecondClock = std::function<std::int64_t()>;
    static constexpr int kListenBacklog = 1024;
    static constexpr std::size_t kOutboxBytes = 64 * 1024;  // sent at once when this much gathers

    explicit RelayServer(QObject* parent = nullptr);
    ~RelayServer() override;

    // Starts listening (port 0: any free port). Status "Listening..." on success; on failure the
    // status and ErrorText() give the reason.
    bool Listen(std::uint16_t port, const QHostAddress& address = QHostAddress::Any);
    // Closes the listening socket and every client.
    void Stop();
    bool IsListening() const { return server_.isListening(); }
    std::uint16_t Port() const { return server_.serverPort(); }
    QString ErrorText() const { return errorText_; }

    int ClientCount() const { return static_cast<int>(clients_.size()); }
    bool HasClients() const { return !clients_.empty(); }

    // Writes bytes to every client, in order. They leave when the event loop next runs.
    void SendToClients(std::span<const std::uint8_t> bytes);

    // Bytes sent to clients but not yet handed to the network, over all clients.
    qint64 UnsentBytes() const;
    void SetUnsentCap(qint64 bytes) { unsentCap_ = bytes; }
    // The clock that times how long a client stays behind (default: a monotonic clock).
    void SetClock(MillisecondClock clock) { clock_ = std::move(clock); }

signals:
    // "Listening...", "Listening....", "Server Active: n site(s)", a dropped client, a failure.
    void StatusChanged(const QString& text);

private:
    using Chunk = std::shared_ptr<const std::vector<std::uint8_t>>;
    struct Client {
        QTcpSocket* socket = nullptr;
        std::deque<Chunk> waiting;  // not yet handed to the socket, oldest first
        qint64 waitingBytes = 0;
        std::int64_t behindSince = -1;  // clock time it went above the cap; -1: not above it
        qint64 Unsent() const;
    };
    struct Dropped {
        QTcpSocket* socket;
        bool slow;  // over the cap (reported), not merely gone
    };

    void OnNewConnection();
    void OnAcceptError(QAbstractSocket::SocketError error);
    void PauseAccepting();
    void ResumeAccepting();
    // Whether a client with bytes just queued has fallen behind for good; keeps its timing.
    bool FallenBehind(Client& client);
    void Flush();
    // Hands waiting chunks to the socket while it takes them whole; false when a write fails.
    static bool Drain(Client& client);
    void OnBytesWritten(QTcpSocket* socket);
    void OnClientGone(QTcpSocket* socket);
    Client* Find(QTcpSocket* socket);
    void Remove(QTcpSocket* socket);
    void RemoveDropped();
    void ShowCount();

    RelayListener server_;
    std::vector<Client> clients_;
    std::vector<std::uint8_t> outbox_;   // sent since the event loop last ran
    std::vector<Dropped> dropped_;       // found during a send; removed after it
    qint64 unsentCap_ = kDefaultUnsentCap;
    MillisecondClock clock_;
    QTimer acceptRetry_;
    bool acceptPaused_ = false;  // no connection is accepted: the process has no descriptor free
    int shownCount_ = 0;
    bool sending_ = false;
    QString errorText_;
};

}  // namespace orv
