#pragma once
// Stations, clients and a server for the in-process socket tests, all on loopback.
#include <QHostAddress>
#include <QTcpSocket>
#include <memory>
#include <string>
#include <vector>

#include "block_recorder.h"
#include "station/station.h"
#include "net/relay.h"
#include "net/wire.h"
#include "qt_support.h"
#include "reception/settings_store.h"
#include "serial_feed.h"
#include "test_blocks.h"

namespace orv::test {

using Bytes = std::vector<std::uint8_t>;

inline Bytes Framed(std::span<const std::uint8_t> block) {
    return Concat({std::span<const std::uint8_t>(kNetworkSyncMarker), block});
}

// One station, with every completed block recorded.
struct TestStation {
    MemoryStore store;
    ManualClock clock{1'000'000};
    Station facade{store, clock};
    std::vector<Bytes> blocks;  // each completed block as kept (failed mark), with its CRCC bytes
    std::vector<std::string> verdicts;
    BlockRecorder recorder;

    TestStation() {
        recorder.onBlock = [this](const ReceivedBlock& block) {
            Bytes kept(block.record.begin(), block.record.end());
            kept.insert(kept.end(), block.bytes.begin() + kTelemetryBytes, block.bytes.end());
            blocks.push_back(kept);
            verdicts.emplace_back(VerdictText(block.verdict));
        };
        facade.AddSink(recorder);
    }
    ~TestStation() { facade.RemoveSink(recorder); }
    const StationState& station() { return facade.state(); }

    // A block from the serial port, in reads of `chunk` bytes, after a pause that starts it.
    void Receive(std::span<const std::uint8_t> block, std::size_t chunk) { FeedBlock(facade, clock, block, chunk); }
};

// A station that serves what it receives.
struct ServingStation : TestStation {
    Relay& relay = facade.relay();
    explicit ServingStation(bool realTime = true) {
        relay.SetRealTime(realTime);
        EXPECT_TRUE(relay.Server().Listen(0, QHostAddress::LocalHost));
    }
    std::uint16_t Port() { return relay.Server().Port(); }
};

// A station that takes its blocks from a server.
struct ClientStation : TestStation {
    RelayClientInput& client = facade.client();
    std::vector<QString> statuses;
    ClientStation() {
        QObject::connect(&client, &RelayClientInput::Status, [this](const QString& s) { statuses.push_back(s); });
    }
    bool Connect(std::uint16_t port) {
        client.ConnectTo(QStringLiteral("127.0.0.1"), port);
        return WaitUntil([&] { return client.IsConnected(); });
    }
};

// A plain socket that keeps every byte it receives.
struct WireClient {
    QTcpSocket socket;
    Bytes bytes;
    WireClient() {
        QObject::connect(&socket, &QTcpSocket::readyRead, [this] {
            const QByteArray got = socket.readAll();
            bytes.insert(bytes.end(), got.begin(), got.end());
        });
    }
    bool Connect(std::uint16_t port) {
        socket.connectToHost(QHostAddress::LocalHost, port);
        return socket.waitForConnected(30000);
    }
};

}  // namespace orv::test
