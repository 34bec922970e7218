#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>

#include "relay_fixture.h"

namespace orv {
namespace {

using namespace test;

// The numbered blocks every client must receive, in order.
const std::vector<Block514>& Blocks() {
    static const std::vector<Block514> blocks = [] {
        std::vector<Block514> b;
        for (std::uint32_t n = 0; n < 1000; ++n) b.push_back(NumberedBlock(n));
        return b;
    }();
    return blocks;
}

// Takes a client's stream apart and checks that block n is the n-th block sent, whole.
struct SequenceChecker : NetworkBlockSink {
    Bytes current;
    std::uint32_t next = 0;
    int faults = 0;
    bool open = false;

    void SignalNetworkNewBlock() override {
        if (open) ++faults;  // the previous block was cut short
        current.clear();
        open = true;
    }
    void ReceiveBlockBytes(std::span<const std::uint8_t> bytes) override {
        current.insert(current.end(), bytes.begin(), bytes.end());
        if (current.size() < kFullBlockBytes) return;
        const Block514& expected = Blocks()[next % Blocks().size()];
        if (!std::equal(expected.begin(), expected.end(), current.begin())) ++faults;
        ++next;
        open = false;
    }
};

struct LoadClient {
    QTcpSocket socket;
    SequenceChecker checker;
    NetworkBlockReader reader{checker};
    explicit LoadClient(std::uint16_t port) {
        QObject::connect(&socket, &QTcpSocket::readyRead, [this] {
            std::array<char, 65536> buffer;
            for (qint64 n; (n = socket.read(buffer.data(), buffer.size())) > 0;)
                reader.Read({reinterpret_cast<const std::uint8_t*>(buffer.data()), static_cast<std::size_t>(n)});
        });
        socket.connectToHost(QHostAddress::LocalHost, port);
    }
};

struct RelayLoad : ::testing::Test {
    Relay relay;
    std::vector<std::unique_ptr<LoadClient>> clients;
    std::uint32_t sent = 0;
    std::int64_t now = 0;  // the server's clock, in milliseconds

    RelayLoad() {
        EnsureApp();
        relay.Server().SetClock([this] { return now; });
        relay.SetRealTime(false);
        EXPECT_TRUE(relay.Server().Listen(0, QHostAddress::LocalHost));
    }
    void AddClients(int count) {
        for (int i = 0; i < count; ++i) clients.push_back(std::make_unique<LoadClient>(relay.Server().Port()));
        const int total = static_cast<int>(clients.size());
        ASSERT_TRUE(WaitUntil([&] { return relay.Server().ClientCount() == total; }));
    }
    void Send(int count) {
        for (int i = 0; i < count; ++i) {
            ReceivedBlock block;
            block.bytes = Blocks()[sent++ % Blocks().size()];
            block.record = block.bytes.first(kTelemetryBytes);
            relay.TakeBlock(block);
        }
    }
    bool AllReceived(const std::vector<LoadClient*>& readers) {
        return WaitUntil([&] {
            return std::all_of(readers.begin(), readers.end(), [&](LoadClient* c) { return c->checker.next >= sent; });
        });
    }
    std::vector<LoadClient*> All() {
        std::vector<LoadClient*> all;
        for (auto& c : clients) all.push_back(c.get());
        return all;
    }
};

TEST_F(RelayLoad, TwoHundredClientsReceiveAThousandBlocksEachNothingLostOrReordered) {
    AddClients(200);
    for (int round = 0; round < 20; ++round) {
        Send(50);
        ASSERT_TRUE(AllReceived(All())) << "round " << round;
    }
    for (const auto& c : clients) {
        EXPECT_EQ(c->checker.next, 1000U);
        EXPECT_EQ(c->checker.faults, 0);
    }
    EXPECT_EQ(relay.Server().ClientCount(), 200);
}

TEST_F(RelayLoad, AClientThatNeverReadsIsDroppedWhileTheOthersCarryOnAndMemoryStaysBounded) {
    std::vector<QString> statuses;
    QObject::connect(&relay, &Relay::StatusChanged, [&](const QString& s) { statuses.push_back(s); });
    AddClients(3);
    const std::vector<LoadClient*> readers = All();
    QTcpSocket sleeper;  // takes one byte and then never reads again
    sleeper.setReadBufferSize(1);
    sleeper.connectToHost(QHostAddress::LocalHost, relay.Server().Port());
    ASSERT_TRUE(WaitUntil([&] { return relay.Server().ClientCount() == 4; }));

    const int perRound = 100;
    const qint64 roundBytes = perRound * 522;
    qint64 mostUnsent = 0;
    // The operating system buffers a few megabytes for the sleeper before the server's own
    // buffer fills; 40,000 blocks (21 MB) is far more than that needs.
    for (int round = 0; round < 400 && relay.Server().ClientCount() == 4; ++round) {
        now += 1000;
        Send(perRound);
        mostUnsent = std::max(mostUnsent, relay.Server().UnsentBytes());
        ASSERT_TRUE(AllReceived(readers)) << "round " << round;
    }
    ASSERT_EQ(relay.Server().ClientCount(), 3) << "the sleeper was never dropped";
    const auto dropped = std::find_if(statuses.begin(), statuses.end(),
                                      [](const QString& s) { return s.startsWith("Dropped site 127.0.0.1:"); });
    ASSERT_NE(dropped, statuses.end());
    EXPECT_EQ(*dropped, QStringLiteral("Dropped site 127.0.0.1:%1: more than 1048576 bytes unsent").arg(sleeper.localPort()));
    // The sleeper's buffer passed the cap by at most the rounds of the five seconds (one round a
    // second) it was let be behind and the one after them; on top of it the round each client
    // has waiting to go out.
    EXPECT_LE(mostUnsent, RelayServer::kDefaultUnsentCap + (RelayServer::kBehindMilliseconds / 1000 + 1 + 4) * roundBytes);

    Send(perRound);
    ASSERT_TRUE(AllReceived(readers));
    for (LoadClient* c : readers) EXPECT_EQ(c->checker.faults, 0);
    EXPECT_EQ(statuses.back(), *dropped);
}

TEST_F(RelayLoad, AClientBehindForAMomentIsKeptAndGetsEverythingInOrder) {
    // A client that stops reading for less than the allowed time, far past the cap, then reads
    // again (a busy machine, a scheduling hiccup) loses nothing.
    AddClients(2);
    LoadClient& pausing = *clients[1];
    bool paused = true;
    QObject::disconnect(&pausing.socket, &QTcpSocket::readyRead, nullptr, nullptr);
    QObject::connect(&pausing.socket, &QTcpSocket::readyRead, [&] {
        if (paused) return;
        std::array<char, 65536> buffer;
        for (qint64 n; (n = pausing.socket.read(buffer.data(), buffer.size())) > 0;)
            pausing.reader.Read({reinterpret_cast<const std::uint8_t*>(buffer.data()), static_cast<std::size_t>(n)});
    });
    pausing.socket.setReadBufferSize(1);
    qint64 mostUnsent = 0;
    for (int round = 0; round < 400 && mostUnsent <= 3 * RelayServer::kDefaultUnsentCap; ++round) {
        now += 10;
        Send(100);
        mostUnsent = std::max(mostUnsent, relay.Server().UnsentBytes());
        ASSERT_TRUE(AllReceived({clients[0].get()}));
    }
    ASSERT_GT(mostUnsent, 3 * RelayServer::kDefaultUnsentCap) << "the client never fell behind";
    ASSERT_EQ(relay.Server().ClientCount(), 2);
    paused = false;
    pausing.socket.setReadBufferSize(0);
    emit pausing.socket.readyRead();
    ASSERT_TRUE(AllReceived(All()));
    EXPECT_EQ(pausing.checker.faults, 0);
    EXPECT_EQ(relay.Server().ClientCount(), 2);
}

TEST_F(RelayLoad, AClientPastTheHardCapIsDroppedAtOnce) {
    std::vector<QString> statuses;
    QObject::connect(&relay, &Relay::StatusChanged, [&](const QString& s) { statuses.push_back(s); });
    relay.Server().SetUnsentCap(64 * 1024);
    AddClients(1);
    QTcpSocket sleeper;
    sleeper.setReadBufferSize(1);
    sleeper.connectToHost(QHostAddress::LocalHost, relay.Server().Port());
    ASSERT_TRUE(WaitUntil([&] { return relay.Server().ClientCount() == 2; }));
    qint64 mostUnsent = 0;
    // The clock stands still: only the hard cap can drop it.
    for (int round = 0; round < 400 && relay.Server().ClientCount() == 2; ++round) {
        Send(100);
        mostUnsent = std::max(mostUnsent, relay.Server().UnsentBytes());
        ASSERT_TRUE(AllReceived({clients[0].get()}));
    }
    ASSERT_EQ(relay.Server().ClientCount(), 1) << "the sleeper was never dropped";
    EXPECT_LE(mostUnsent, RelayServer::kHardCapFactor * 64 * 1024 + 2 * 100 * 522);
    EXPECT_EQ(statuses.back(), QStringLiteral("Dropped site 127.0.0.1:%1: more than 65536 bytes unsent").arg(sleeper.localPort()));
}

TEST_F(RelayLoad, AClientThatDisconnectsDuringASendIsRemovedAndTheOthersGetEverything) {
    AddClients(5);
    Send(300);  // queued for all five, not yet on the wire
    clients[2]->socket.abort();
    Send(300);
    std::vector<LoadClient*> others = All();
    others.erase(others.begin() + 2);
    ASSERT_TRUE(AllReceived(others));
    ASSERT_TRUE(WaitUntil([&] { return relay.Server().ClientCount() == 4; }));
    Send(10);  // and the relay goes on
    ASSERT_TRUE(AllReceived(others));
    for (LoadClient* c : others) {
        EXPECT_EQ(c->checker.next, 610U);
        EXPECT_EQ(c->checker.faults, 0);
    }
}

}  // namespace
}  // namespace orv
