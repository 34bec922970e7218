#pragma once
// Another Orv station's relay server as this station's input ("Client (data in)"): the stream
// is searched for the network sync marker and the 514 bytes after each marker go to the reception
// pipeline. While the link is up the station is in network input mode (blocks restart only at a
// marker). Optionally reconnects after a lost link or a failed attempt.
#include <QString>
#include <cstdint>

#include "inputs/block_input.h"
#include "inputs/tcp_link.h"
#include "net/network_block_reader.h"

namespace orv {

class ReceptionPipeline;

class RelayClientInput final : public BlockInput, private NetworkBlockSink {
    Q_OBJECT
public:
    using LinkState = TcpLink::State;

    explicit RelayClientInput(ReceptionPipeline& pipeline, QObject* parent = nullptr);
    ~RelayClientInput() override;

    // Connects (again) to host:port.
    void ConnectTo(const QString& host, std::uint16_t port);
    // Closes the link and cancels any reconnect; status cleared.
    void Disconnect();
    // After a lost link or a failed attempt, try again after this many seconds; 0: give up.
    void SetReconnectSeconds(int seconds) { link_.SetReconnectSeconds(seconds); }

    // BlockInput: connects to the host and port last given.
    bool Start(std::string& error) override;
    void Stop() override { Disconnect(); }
    bool Running() const override { return link_.GetState() != LinkState::Off; }
    // "HOST:PORT"
    QString Description() const override;

    // Bytes read from the server in one turn of the event loop before it gets back to the rest.
    static constexpr qint64 kBytesPerEvent = 64 * 1024;

    LinkState State() const { return link_.GetState(); }
    bool IsConnected() const { return link_.IsConnected(); }
    QString Host() const { return link_.Host(); }
    std::uint16_t Port() const { return link_.Port(); }
    // The server's relay mode, learned from the read sizes: true "Real time", false "Full block".
    bool ServerRealTime() const { return reader_.ServerRealTime(); }

signals:
    // Status lines (BlockInput::Status): "Connect to: HOST", "Error connecting to: HOST", empty on a
    // lost link without reconnecting, and the reconnect notes.
    void StateChanged(orv::TcpLink::State state);
    // The server's relay mode, learnt at a block's 513th byte, changed.
    void ServerModeChanged(bool realTime);

private:
    void OnConnected();
    void OnReadyRead();
    void OnLinkDown(bool lost, const QString& reason, int retrySeconds);
    // NetworkBlockSink
    void SignalNetworkNewBlock() override;
    void ReceiveBlockBytes(std::span<const std::uint8_t> bytes) override;
    void ServerModeLearned(bool realTime) override { emit ServerModeChanged(realTime); }

    ReceptionPipeline& pipeline_;
    NetworkBlockReader reader_;
    TcpLink link_;
    bool readMorePending_ = false;  // a queued call to OnReadyRead is on its way
};

}  // namespace orv
