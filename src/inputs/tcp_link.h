#pragma once
// A TCP link to a server that an input reads from (another Orv's relay server, a KISS server):
// connects, reports a link that goes down, and tries again after a wait when asked to. The
// input reads the socket and words the status lines itself.
#include <QObject>
#include <QString>
#include <QTcpSocket>
#include <QTimer>
#include <cstdint>

namespace orv {

class TcpLink : public QObject {
    Q_OBJECT
public:
    enum class State { Off, Connecting, Connected, WaitingToReconnect };
    Q_ENUM(State)

    explicit TcpLink(QObject* parent = nullptr);
    ~TcpLink() override;

    // Connects (again) to host:port; a link that is up is dropped first, without a report.
    void ConnectTo(const QString& host, std::uint16_t port);
    // Closes the link and cancels any reconnect. StateChanged(Off) follows if it was active.
    void Disconnect();
    // After a lost link or a failed attempt, try again after this many seconds; 0: give up.
    void SetReconnectSeconds(int seconds) { reconnectSeconds_ = seconds; }
    int ReconnectSeconds() const { return reconnectSeconds_; }

    State GetState() const { return state_; }
    bool IsConnected() const { return state_ == State::Connected; }
    QString Host() const { return host_; }
    std::uint16_t Port() const { return port_; }
    QTcpSocket& Socket() { return socket_; }

signals:
    void StateChanged(orv::TcpLink::State state);
    void Connected();
    // Bytes are waiting in Socket(). Also emitted for what is still buffered when the server
    // closes the link, before LinkDown.
    void DataReady();
    // The link is down: `lost` for an established link the server closed or the network broke,
    // else a failed attempt (`reason` is the system's). `retrySeconds` is the wait before the
    // next attempt, 0 when the link gives up. StateChanged follows.
    void LinkDown(bool lost, const QString& reason, int retrySeconds);

private:
    void Attempt();
    void Down(bool lost, const QString& reason);
    void SetState(State state);

    QTcpSocket socket_;
    QTimer reconnectTimer_;
    QString host_;
    std::uint16_t port_ = 0;
    int reconnectSeconds_ = 0;
    State state_ = State::Off;
};

}  // namespace orv
