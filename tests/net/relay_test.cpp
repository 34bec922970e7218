#include <gtest/gtest.h>

#include <QUdpSocket>
#include <QNetworkDatagram>

#include "fec/adc_synth.h"
#include "fec/fec_block.h"
#include "reception/block.h"
#include "relay_fixture.h"
#include "temp_dir.h"

namespace orv {
namespace {

using namespace test;

struct Relaying : ::testing::Test {
    Relaying() { EnsureApp(); }
};

ReceivedBlock Received(std::span<const std::uint8_t> bytes, BlockOrigin origin = BlockOrigin::Serial) {
    ReceivedBlock b;
    b.bytes = bytes;
    b.record = bytes.first(kTelemetryBytes);
    b.verdict = bytes.size() == kFullBlockBytes ? (CrccPasses(bytes) ? CrccVerdict::Ok : CrccVerdict::Fail)
                                                : CrccVerdict::NotChecked;
    b.origin = origin;
    return b;
}

// The relay as a tap and a sink: what each mode sends of the bytes and blocks it is handed.
TEST_F(Relaying, TheRelaySendsTappedBytesInRealTimeAndWholeBlocksInFullBlockMode) {
    Relay relay;
    ASSERT_TRUE(relay.Server().Listen(0, QHostAddress::LocalHost));
    const Block514 block = NumberedBlock(5);
    const std::span<const std::uint8_t> bytes(block);
    // No client: nothing is sent, and a send does not renew the pause timer.
    EXPECT_FALSE(relay.TapBytes(bytes.first(10), {true, 0}));
    WireClient wire;
    ASSERT_TRUE(wire.Connect(relay.Server().Port()));
    ASSERT_TRUE(WaitUntil([&] { return relay.HasClients(); }));
    // Real time: each call as it came, the marker before the one that starts a block.
    EXPECT_TRUE(relay.TapBytes(bytes.first(10), {true, 0}));
    EXPECT_TRUE(relay.TapBytes(bytes.subspan(10), {false, 10}));
    relay.TakeBlock(Received(block));
    EXPECT_FALSE(relay.SentLastBlock());
    ASSERT_TRUE(WaitUntil([&] { return wire.bytes.size() >= 522; }));
    EXPECT_EQ(wire.bytes, Framed(block));
    // Full block: the taps send nothing; a 514-byte block goes whole, a 512-byte block with two
    // zero bytes where a client expects the CRCC.
    relay.SetRealTime(false);
    wire.bytes.clear();
    EXPECT_FALSE(relay.TapBytes(bytes, {true, 0}));
    relay.TakeBlock(Received(block));
    EXPECT_TRUE(relay.SentLastBlock());
    relay.TakeBlock(Received(bytes.first(512)));
    ASSERT_TRUE(WaitUntil([&] { return wire.bytes.size() >= 2 * 522; }));
    Block514 padded{};
    std::copy_n(block.begin(), 512, padded.begin());
    EXPECT_EQ(wire.bytes, Concat({Framed(block), Framed(padded)}));
    // A good block from another station shows the mode it is relayed in.
    std::vector<bool> shown;
    QObject::connect(&relay, &Relay::ModeShown, [&](bool realTime) { shown.push_back(realTime); });
    relay.TakeBlock(Received(block, BlockOrigin::Relay));
    Block514 damaged = block;
    damaged[100] ^= 1;
    relay.TakeBlock(Received(damaged, BlockOrigin::Relay));
    relay.TakeBlock(Received(block, BlockOrigin::Serial));
    EXPECT_EQ(shown, std::vector<bool>{false});
}

// Three blocks, the middle one with a wrong CRCC: it is relayed too, as it came.
std::vector<Block514> SomeBlocks() {
    std::vector<Block514> blocks{NumberedBlock(1), NumberedBlock(2, 'E'), NumberedBlock(3, 'K')};
    blocks[1][513] ^= 0x5A;
    return blocks;
}

TEST_F(Relaying, BlocksArriveByteExactBehindTheMarkerInBothModes) {
    for (bool realTime : {true, false}) {
        SCOPED_TRACE(realTime ? "Real time" : "Full block");
        ServingStation server(realTime);
        // Logging stamps the failed block for the log, not the wire.
        const TempDir data;
        server.facade.SetDataDirectory(data.path().string());
        server.facade.StartLogging();
        WireClient wire;
        ClientStation client;
        ASSERT_TRUE(wire.Connect(server.Port()));
        ASSERT_TRUE(client.Connect(server.Port()));
        ASSERT_TRUE(WaitUntil([&] { return server.relay.Server().ClientCount() == 2; }));

        Bytes expected;
        const auto blocks = SomeBlocks();
        for (const Block514& b : blocks) {
            server.Receive(b, 100);
            const Bytes framed = Framed(b);
            expected.insert(expected.end(), framed.begin(), framed.end());
        }
        ASSERT_TRUE(WaitUntil([&] { return wire.bytes.size() >= expected.size() && client.blocks.size() == 3; }));
        EXPECT_EQ(wire.bytes, expected);
        EXPECT_EQ(client.verdicts, (std::vector<std::string>{"OK", "FAIL", "OK"}));
        for (std::size_t i = 0; i < blocks.size(); ++i) {
            Bytes sent(blocks[i].begin(), blocks[i].end());
            if (client.verdicts[i] == "FAIL") sent[0] |= kFailedMark;  // the client's own mark
            EXPECT_EQ(client.blocks[i], sent) << i;
        }
        EXPECT_TRUE(client.station().flags.networkInputActive);
    }
}

TEST_F(Relaying, ClientLearnsTheServersModeFromTheReadSize) {
    for (bool realTime : {false, true, false}) {
        ServingStation server(realTime);
        ClientStation client;
        ASSERT_TRUE(client.Connect(server.Port()));
        ASSERT_TRUE(WaitUntil([&] { return server.relay.Server().HasClients(); }));
        const Block514 b = NumberedBlock(5);
        server.clock.Advance(3);
        // Chunks of 64 bytes, each taken in by the client before the next goes out.
        int position = 0;
        for (std::size_t at = 0; at < b.size(); at += 64) {
            const std::size_t n = std::min<std::size_t>(64, b.size() - at);
            server.facade.SerialBytes(std::span(b).subspan(at, n));
            position += static_cast<int>(n);
            if (realTime) {
                ASSERT_TRUE(WaitUntil([&] { return client.station().receiver.position == position; }));
            }
        }
        ASSERT_TRUE(WaitUntil([&] { return client.blocks.size() == 1; }));
        EXPECT_EQ(client.client.ServerRealTime(), realTime);
    }
}

TEST_F(Relaying, StatusTextsFollowTheSitesAndTheLink) {
    ServingStation server;
    std::vector<QString> serverStatus;
    QObject::connect(&server.relay, &Relay::StatusChanged, [&](const QString& s) { serverStatus.push_back(s); });
    {
        ClientStation a, b;
        ASSERT_TRUE(a.Connect(server.Port()));
        ASSERT_TRUE(WaitUntil([&] { return server.relay.Server().ClientCount() == 1; }));
        ASSERT_TRUE(b.Connect(server.Port()));
        ASSERT_TRUE(WaitUntil([&] { return server.relay.Server().ClientCount() == 2; }));
        EXPECT_EQ(a.statuses, (std::vector<QString>{"Connect to: 127.0.0.1"}));
        b.client.Disconnect();
        EXPECT_FALSE(b.station().flags.networkInputActive);
        ASSERT_TRUE(WaitUntil([&] { return server.relay.Server().ClientCount() == 1; }));
        // The server goes away: the client's link ends and its status is cleared.
        server.relay.Server().Stop();
        ASSERT_TRUE(WaitUntil([&] { return a.client.State() == RelayClientInput::LinkState::Off; }));
        EXPECT_EQ(a.statuses.back(), "");
        EXPECT_FALSE(a.station().flags.networkInputActive);
        // Nobody listens there any more.
        a.client.ConnectTo("127.0.0.1", server.Port());
        ASSERT_TRUE(WaitUntil([&] { return a.client.State() == RelayClientInput::LinkState::Off; }));
        EXPECT_EQ(a.statuses.back(), "Error connecting to: 127.0.0.1");
    }
    EXPECT_EQ(serverStatus, (std::vector<QString>{"Server Active: 1 site(s)", "Server Active: 2 site(s)",
                                                  "Server Active: 1 site(s)"}));
    ASSERT_TRUE(server.relay.Server().Listen(0, QHostAddress::LocalHost));
    ClientStation c;
    ASSERT_TRUE(c.Connect(server.Port()));
    ASSERT_TRUE(WaitUntil([&] { return server.relay.Server().HasClients(); }));
    c.client.Disconnect();
    ASSERT_TRUE(WaitUntil([&] { return !server.relay.Server().HasClients(); }));
    EXPECT_EQ(std::vector<QString>(serverStatus.end() - 3, serverStatus.end()),
              (std::vector<QString>{"Listening...", "Server Active: 1 site(s)", "Listening...."}));
}

TEST_F(Relaying, WhatClientsSendIsDiscardedAndTheRelayGoesOn) {
    ServingStation server(false);
    WireClient talker, listener;
    ASSERT_TRUE(talker.Connect(server.Port()));
    ASSERT_TRUE(listener.Connect(server.Port()));
    ASSERT_TRUE(WaitUntil([&] { return server.relay.Server().ClientCount() == 2; }));
    const QByteArray noise(200'000, '\x2F');
    talker.socket.write(noise);
    talker.socket.write(QByteArray(reinterpret_cast<const char*>(kNetworkSyncMarker.data()), 8));
    ASSERT_TRUE(WaitUntil([&] { return talker.socket.bytesToWrite() == 0; }));
    const Block514 b = NumberedBlock(9);
    server.Receive(b, 514);
    const Bytes framed = Framed(b);
    ASSERT_TRUE(WaitUntil([&] { return talker.bytes.size() >= 522 && listener.bytes.size() >= 522; }));
    EXPECT_EQ(talker.bytes, framed);
    EXPECT_EQ(listener.bytes, framed);
    EXPECT_EQ(server.relay.Server().ClientCount(), 2);
}

TEST_F(Relaying, UdpSendsOneDatagramOfBlockSizePlusEightPerBlock) {
    QUdpSocket receiver;
    ASSERT_TRUE(receiver.bind(QHostAddress::LocalHost, 0));
    TestStation station;
    Relay& relay = station.facade.relay();
    std::vector<QString> statuses;
    QObject::connect(&relay, &Relay::StatusChanged, [&](const QString& s) { statuses.push_back(s); });
    relay.SetUdpOn(true);
    relay.Udp().SetDestination("127.0.0.1", receiver.localPort());
    std::vector<Bytes> datagrams;
    auto take = [&](std::size_t count) {
        EXPECT_TRUE(WaitUntil([&] {
            while (receiver.hasPendingDatagrams()) {
                const QByteArray d = receiver.receiveDatagram().data();
                datagrams.emplace_back(d.begin(), d.end());
            }
            return datagrams.size() >= count;
        }));
    };

    const Block514 b = NumberedBlock(11);
    station.Receive(b, 60);  // 514-byte modem
    take(1);
    EXPECT_EQ(datagrams[0], Framed(b));
    EXPECT_EQ(datagrams[0].size(), 522U);
    EXPECT_EQ(statuses.back(), "Telemetry sent!");

    station.facade.SetModemType(ModemType::Bytes512);
    station.Receive(std::span(b).first(512), 512);
    take(2);
    EXPECT_EQ(datagrams[1].size(), 520U);
    EXPECT_EQ(datagrams[1], Framed(std::span(b).first(512)));  // as received: no "NA" marks on the wire

    // A block rebuilt from an FEC frame in ADC samples.
    station.facade.SetModemType(ModemType::Adc);
    AdcSynthOptions o;
    o.ebNoDb = 14.0;
    AdcSynthesizer synth(o);
    std::vector<std::uint8_t> samples;
    synth.AppendIdle(100, samples);
    FecData data{};
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i);
    synth.AppendFecFrame(data, samples);
    synth.AppendIdle(10, samples);
    FeedAdcSamples(station.facade, station.clock, samples);
    take(3);
    EXPECT_EQ(datagrams[2], Framed(ReconstructFecBlock(data)));
    EXPECT_EQ(statuses.back(), "FEC blk sent!");

    station.facade.SetModemType(ModemType::Bytes514);
    relay.Udp().SetDestination("", 2121);
    station.Receive(b, 514);
    EXPECT_EQ(statuses.back(), "Invalid Host!");
}

}  // namespace
}  // namespace orv
