#pragma once
// The TCP/IP client ("Client (data in)"): takes blocks from another station's relay server and
// feeds them to this station's block receiver. While connected the station is in network input
// mode (blocks restart only at a network sync marker). Optionally reconnects after a lost link or
// a failed attempt.
#include <QObject>
#include <QString>
#include <QTcpSocket>
#include <QTimer>
#include <cstdint>

#include "net/network_block_reader.h"
#include "reception/receiver.h"
#include "reception/station_state.h"

namespace orv {

class NetworkClient : public QObject {
    Q_OBJECT
public:
    enum class LinkState { Off, Connecting, Connected, WaitingToReconnect };
    Q_ENUM(LinkState)

    NetworkClient(StationState& station, BlockReceiver& receiver, QObject* parent = nullptr);
    ~NetworkClient() override;

    // Connects (again) to host:port.
    void ConnectTo(const QString& host, std::uint16_t port);
    // Closes the link and cancels any reconnect; status cleared.
    void Disconnect();
    // After a lost link or a failed attempt, try again after this many seconds; 0: give up.
    void SetReconnectSeconds(int seconds) { reconnectSeconds_ = seconds; }

    LinkState State() const { return state_; }
    bool IsConnected() const { return state_ == LinkState::Connected; }
    QString Host() const { return host_; }
    std::uint16_t Port() const { return port_; }
    // The server's relay mode, learned from the read sizes: true "Real time", false "Full block".
    bool ServerRealTime() const { return reader_.ServerRealTime(); }

signals:
    // "Connect to: HOST", "Error connecting to: HOST", cleared on a lost link, and the reconnect notes.
    void StatusChanged(const QString& text);
    void StateChanged(orv::NetworkClient::LinkState state);
    void ServerModeLearned(bool realTime);

private:
    void OnConnected();
    void OnReadyRead();
    void OnDisconnected();
    void OnError(QAbstractSocket::SocketError error);
    // The link is down (lost or never made): reconnect later, showing the report, or stop,
    // showing finalStatus.
    void LinkDown(const QString& report, const QString& finalStatus);
    void SetState(LinkState state);
    void Attempt();

    StationState& station_;
    // The receiver, and the mode the reader learns passed on at once.
    class ClientSink final : public ReceiverSink {
    public:
        ClientSink(BlockReceiver& receiver, NetworkClient& client) : ReceiverSink(receiver), client_(client) {}
        void ServerModeLearned(bool realTime) override { emit client_.ServerModeLearned(realTime); }

    private:
        NetworkClient& client_;
    };
    ClientSink sink_;
    NetworkBlockReader reader_;
    QTcpSocket socket_;
    QTimer reconnectTimer_;
    QString host_;
    std::uint16_t port_ = 0;
    int reconnectSeconds_ = 0;
    LinkState state_ = LinkState::Off;
};

}  // namespace orv
