#pragma once
// Stations, clients and a server for the in-process socket tests, all on loopback.
#include <QHostAddress>
#include <QTcpSocket>
#include <memory>
#include <string>
#include <vector>

#include "station/station.h"
#include "net/network_client.h"
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
    std::vector<Bytes> blocks;  // the current block (514 bytes) at each completion
    std::vector<std::string> verdicts;

    TestStation() {
        QObject::connect(&facade, &Station::BlockHandled, [this] {
            const auto& s = facade.state();
            blocks.emplace_back(s.stores.current.begin(), s.stores.current.end());
            verdicts.push_back(s.receiver.crccLabel);
        });
    }
    StationState& station() { return facade.state(); }

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
    NetworkClient& client = facade.client();
    std::vector<QString> statuses;
    ClientStation() {
        QObject::connect(&client, &NetworkClient::StatusChanged, [this](const QString& s) { statuses.push_back(s); });
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
