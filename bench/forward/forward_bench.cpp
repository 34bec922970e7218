// Forwarding throughput: blocks as KISS frames to 100 loopback clients, as MQTT messages through
// a mosquitto broker on loopback to a subscriber, and both at once. A round counts only when
// every byte has reached every client and every message the subscriber: nothing lost.
#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "forward/kiss.h"
#include "forward/kiss_server.h"
#include "mosquitto_broker.h"
#include "forward/mqtt_publisher.h"
#include "reception/crcc.h"

namespace orv {
namespace {

constexpr int kClients = 100;
constexpr int kBlocksPerRound = 1000;

Block514 SomeBlock(char kind) {
    Block514 b{};
    for (std::size_t i = 0; i < b.size(); ++i) b[i] = static_cast<std::uint8_t>(i * 13);
    b[0] = static_cast<std::uint8_t>(kind);
    b[1] = ' ';
    const std::uint16_t c = Crcc(std::span(b).first(kTelemetryBytes));
    b[512] = static_cast<std::uint8_t>(c >> 8);
    b[513] = static_cast<std::uint8_t>(c & 0xFF);
    return b;
}

ReceivedBlock Received(const Block514& b) {
    ReceivedBlock r;
    r.bytes = b;
    r.utcSeconds = 1796869479;
    r.verdict = CrccVerdict::Ok;
    return r;
}

std::size_t FrameBytes(const Block514& b) {
    std::vector<std::uint8_t> frame;
    AppendKissFrame(frame, b);
    return frame.size();
}

// Runs the main thread's event loop until done() holds.
template <typename Done>
void RunUntil(Done done) {
    QTimer tick;  // the readers are on other threads: look at their counts now and then
    tick.start(1);
    while (!done()) QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

// kClients plain sockets read by a thread of their own, counting the bytes and throwing them away.
class Readers {
public:
    explicit Readers(std::uint16_t port) {
        for (int i = 0; i < kClients; ++i) {
            const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
            sockaddr_in address{};
            address.sin_family = AF_INET;
            address.sin_port = htons(port);
            address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) std::abort();
            fds_.push_back({fd, POLLIN, 0});
        }
        thread_ = std::thread([this] { Run(); });
    }
    ~Readers() {
        stop_ = true;
        thread_.join();
        for (const pollfd& p : fds_) ::close(p.fd);
    }
    std::int64_t Received() const { return received_.load(); }

private:
    void Run() {
        while (!stop_) {
            if (::poll(fds_.data(), fds_.size(), 10) <= 0) continue;
            for (pollfd& p : fds_) {
                if (!(p.revents & POLLIN)) continue;
                const ssize_t n = ::recv(p.fd, nullptr, 1 << 24, MSG_TRUNC | MSG_DONTWAIT);
                if (n > 0) received_ += n;
            }
        }
    }

    std::vector<pollfd> fds_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<std::int64_t> received_{0};
};

// The benchmark's stations: what each case needs, set up once.
struct Outputs {
    std::unique_ptr<KissServer> kiss;
    std::unique_ptr<Readers> readers;
    std::unique_ptr<test::MosquittoBroker> broker;
    std::unique_ptr<test::MqttRecorder> recorder;
    std::unique_ptr<MqttPublisher> mqtt;

    bool StartKiss() {
        kiss = std::make_unique<KissServer>();
        if (!kiss->Listen(0, QHostAddress::LocalHost)) return false;
        readers = std::make_unique<Readers>(kiss->Server().Port());
        RunUntil([&] { return kiss->Server().ClientCount() == kClients; });
        return true;
    }
    bool StartMqtt() {
        if (test::MosquittoProgram().isEmpty()) return false;
        broker = std::make_unique<test::MosquittoBroker>("allow_anonymous true\nmax_queued_messages 0\n");
        if (!broker->Start()) return false;
        recorder = std::make_unique<test::MqttRecorder>(broker->Port(), "bench", false);
        RunUntil([&] { return recorder->Subscribed(); });
        mqtt = std::make_unique<MqttPublisher>();
        MqttOptions o;
        o.port = broker->Port();
        o.topicPrefix = "bench";
        o.maxQueued = 100000;
        std::string error;
        if (!mqtt->Start(o, error)) return false;
        RunUntil([&] { return mqtt->Connected(); });
        return true;
    }
};

void Forward(benchmark::State& state, bool kiss, bool mqtt, char kind) {
    test::EnsureApp();
    Outputs out;
    if (kiss && !out.StartKiss()) return state.SkipWithError("cannot start the KISS server");
    if (mqtt && !out.StartMqtt()) return state.SkipWithError("no mosquitto broker (Debian package mosquitto)");
    const Block514 block = SomeBlock(kind);
    const ReceivedBlock received = Received(block);
    const std::int64_t frameBytes = static_cast<std::int64_t>(FrameBytes(block));
    const std::size_t messagesPerBlock = kind == 'A' ? 2 : 1;
    std::int64_t expectedBytes = 0;
    std::size_t expectedMessages = 0;
    for (auto _ : state) {
        for (int i = 0; i < kBlocksPerRound; ++i) {
            if (kiss) out.kiss->Send(received);
            if (mqtt) out.mqtt->Publish(received);
        }
        expectedBytes += kBlocksPerRound * frameBytes * kClients;
        expectedMessages += kBlocksPerRound * messagesPerBlock;
        RunUntil([&] {
            return (!kiss || out.readers->Received() >= expectedBytes) &&
                   (!mqtt || out.recorder->Count() >= expectedMessages);
        });
    }
    if (kiss && out.kiss->Server().ClientCount() != kClients) state.SkipWithError("a KISS client was dropped");
    if (mqtt && out.mqtt->Dropped() != 0) state.SkipWithError("MQTT messages were dropped");
    state.SetItemsProcessed(state.iterations() * kBlocksPerRound);  // items/s: blocks delivered everywhere
}

void BM_KissTo100Clients(benchmark::State& s) { Forward(s, true, false, 'K'); }
void BM_MqttBlocksThroughBroker(benchmark::State& s) { Forward(s, false, true, 'K'); }
void BM_KissAndMqttTogether(benchmark::State& s) { Forward(s, true, true, 'K'); }
void BM_MqttABlocksWithTelemetry(benchmark::State& s) { Forward(s, false, true, 'A'); }
BENCHMARK(BM_KissTo100Clients)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_MqttBlocksThroughBroker)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_KissAndMqttTogether)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_MqttABlocksWithTelemetry)->Unit(benchmark::kMillisecond)->UseRealTime();

// The KISS encoder and deframer alone, per 514-byte block.
void BM_KissEncodeAndDeframe(benchmark::State& state) {
    const Block514 block = SomeBlock('A');
    std::vector<std::uint8_t> stream;
    std::size_t blocks = 0;
    KissBlockDeframer deframer([&](std::span<const std::uint8_t>) { ++blocks; });
    for (auto _ : state) {
        stream.clear();
        AppendKissFrame(stream, block);
        deframer.Feed(stream);
    }
    if (blocks != static_cast<std::size_t>(state.iterations())) state.SkipWithError("a frame was lost");
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * 514);
}
BENCHMARK(BM_KissEncodeAndDeframe);

}  // namespace
}  // namespace orv
