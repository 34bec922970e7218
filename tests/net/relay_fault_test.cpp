#include <gtest/gtest.h>

#include <QTcpServer>

#include "relay_fixture.h"

namespace orv {
namespace {

using namespace test;

// An upstream server under the test's control: it writes whatever the test says.
struct Upstream {
    QTcpServer server;
    QTcpSocket* peer = nullptr;
    bool Listen(std::uint16_t port = 0) {
        peer = nullptr;
        return server.listen(QHostAddress::LocalHost, port);
    }
    bool Accept() {
        if (!WaitUntil([&] { return server.hasPendingConnections(); })) return false;
        peer = server.nextPendingConnection();
        return peer != nullptr;
    }
    void Write(std::span<const std::uint8_t> bytes) {
        peer->write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
        WaitUntil([&] { return peer->bytesToWrite() == 0; });
    }
    void GoAway() {
        peer->close();
        server.close();
    }
};

TEST(RelayFaults, ServerGoesAwayMidBlockClientReportsAndResynchronisesAfterReconnecting) {
    EnsureApp();
    Upstream upstream;
    ASSERT_TRUE(upstream.Listen());
    const std::uint16_t port = upstream.server.serverPort();
    ClientStation client;
    client.client.SetReconnectSeconds(1);
    ASSERT_TRUE(client.Connect(port));
    ASSERT_TRUE(upstream.Accept());

    const Block514 one = NumberedBlock(1), two = NumberedBlock(2), three = NumberedBlock(3);
    const Bytes garbage{0x2F, 0x8F, 0x6E, 0x00, 0x60, 0x75, 0x86};
    const Bytes framedTwo = Framed(two);
    upstream.Write(Concat({garbage, Framed(one), garbage, std::span(framedTwo).first(208)}));
    ASSERT_TRUE(WaitUntil([&] { return client.station().receiver.position == 200; }));
    upstream.GoAway();

    ASSERT_TRUE(WaitUntil([&] { return client.client.State() == RelayClientInput::LinkState::WaitingToReconnect; }));
    EXPECT_EQ(client.statuses.back(), "Link lost to: 127.0.0.1 in a block (200 of 514 bytes); reconnecting in 1 s");
    EXPECT_FALSE(client.station().flags.networkInputActive);
    // The first attempt finds nobody listening, and the client keeps trying.
    ASSERT_TRUE(WaitUntil([&] { return client.statuses.back() == "Error connecting to: 127.0.0.1; reconnecting in 1 s"; }));

    ASSERT_TRUE(upstream.Listen(port));
    ASSERT_TRUE(upstream.Accept());
    ASSERT_TRUE(WaitUntil([&] { return client.client.IsConnected(); }));
    EXPECT_TRUE(client.station().flags.networkInputActive);
    // The server's new stream starts anywhere: the rest of the old block and noise are ignored.
    upstream.Write(Concat({std::span(framedTwo).subspan(208), garbage, Framed(three)}));
    ASSERT_TRUE(WaitUntil([&] { return client.blocks.size() == 2; }));
    EXPECT_EQ(client.blocks[0], Bytes(one.begin(), one.end()));
    EXPECT_EQ(client.blocks[1], Bytes(three.begin(), three.end()));
    EXPECT_EQ(client.verdicts, (std::vector<std::string>{"OK", "OK"}));
}

}  // namespace
}  // namespace orv
