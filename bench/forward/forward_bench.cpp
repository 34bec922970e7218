// Forwarding throughput: blocks as KISS frames to 100 loopback clients, as MQTT messages through
// a mosquitto broker on loopback to a subscriber, and both at once. A round counts only when
// every byte has reached every client and every message the subscriber: nothing lost.
#include <benchmark/benchmark.h>


#include <memory>
#include <vector>

#include "forward/kiss.h"
#include "loopback_readers.h"
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
    r.record = r.bytes.first(kTelemetryBytes);
    r.utcMilliseconds = 1796869479000;
    r.verdict = CrccVerdict::Ok;
    return r;
}

std::size_t FrameBytes(const Block514& b) {
    std::vector<std::uint8_t> frame;
    AppendKissFrame(frame, b);
    return frame.size();
}

// kClients loopback sockets read on a thread of their own.
class Readers : public bench::LoopbackReaders {
public:
    explicit Readers(std::uint16_t port) : LoopbackReaders(port, kClients) {}
};
using bench::RunUntil;

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
        // Connected, and its "online" on bench/status has reached the subscriber.
        RunUntil([&] { return mqtt->Connected() && recorder->Count() >= 1; });
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
    std::size_t expectedMessages = mqtt ? out.recorder->Count() : 0;
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
    KissBlockDeframer deframer([&](const KissData&) { ++blocks; });
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
