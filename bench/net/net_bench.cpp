// Relay throughput: blocks relayed to 100 loopback clients, counted when every client has them.
// The clients read on their own thread, as other stations would on other machines.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QHostAddress>
#include <QTimer>

#include <cstdlib>
#include <memory>
#include <vector>

#include "net/network_block_reader.h"
#include "loopback_readers.h"
#include "net/relay.h"
#include "net/wire.h"
#include "reception/crcc.h"

namespace orv {
namespace {

constexpr int kClients = 100;

Block514 SomeBlock() {
    Block514 b{};
    for (std::size_t i = 0; i < b.size(); ++i) b[i] = static_cast<std::uint8_t>(i * 13);
    b[0] = 'A';
    b[1] = ' ';
    const std::uint16_t c = Crcc(std::span(b).first(kTelemetryBytes));
    b[512] = static_cast<std::uint8_t>(c >> 8);
    b[513] = static_cast<std::uint8_t>(c & 0xFF);
    return b;
}

void EnsureApp() {
    if (QCoreApplication::instance()) return;
    static int argc = 1;
    static char name[] = "orv_net_bench";
    static char* argv[] = {name, nullptr};
    new QCoreApplication(argc, argv);
}

// kClients loopback sockets read on a thread of their own.
class Readers : public bench::LoopbackReaders {
public:
    explicit Readers(std::uint16_t port) : LoopbackReaders(port, kClients) {}
};
using bench::RunUntil;

void RelayToClients(benchmark::State& state, bool realTime) {
    EnsureApp();
    Relay relay;
    relay.SetRealTime(realTime);
    relay.Server().Listen(0, QHostAddress::LocalHost);
    Readers readers(relay.Server().Port());
    RunUntil([&] { return relay.Server().ClientCount() == kClients; });

    const Block514 block = SomeBlock();
    ReceivedBlock received;
    received.bytes = block;
    received.record = received.bytes.first(kTelemetryBytes);
    received.verdict = CrccVerdict::Ok;
    const int blocksPerRound = static_cast<int>(state.range(0));
    const std::size_t chunk = 64;  // a serial read in "Real time"
    std::int64_t expected = 0;
    for (auto _ : state) {
        for (int i = 0; i < blocksPerRound; ++i) {
            if (realTime) {
                for (std::size_t at = 0; at < block.size(); at += chunk)
                    relay.TapBytes(std::span(block).subspan(at, std::min(chunk, block.size() - at)),
                                   {at == 0, static_cast<int>(at)});
            } else {
                relay.TakeBlock(received);
            }
        }
        expected += std::int64_t{blocksPerRound} * 522 * kClients;
        RunUntil([&] { return readers.Received() >= expected; });
    }
    if (relay.Server().ClientCount() != kClients) state.SkipWithError("a client was dropped");
    state.SetItemsProcessed(state.iterations() * blocksPerRound);  // items/s: blocks delivered to all
    state.SetBytesProcessed(state.iterations() * blocksPerRound * 522 * kClients);
}

void BM_RelayFullBlockTo100Clients(benchmark::State& state) { RelayToClients(state, false); }
void BM_RelayRealTimeChunksTo100Clients(benchmark::State& state) { RelayToClients(state, true); }
BENCHMARK(BM_RelayFullBlockTo100Clients)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RelayRealTimeChunksTo100Clients)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();

// The client's side: marker search and capture over 600-byte reads.
void BM_ClientReadsFramedBlocks(benchmark::State& state) {
    struct Discard : NetworkBlockSink {
        std::size_t bytes = 0;
        void SignalNetworkNewBlock() override {}
        void ReceiveBlockBytes(std::span<const std::uint8_t> b) override { bytes += b.size(); }
    } sink;
    NetworkBlockReader reader(sink);
    std::vector<std::uint8_t> stream, frame;
    const Block514 block = SomeBlock();
    BuildFrame(frame, block, true);
    for (int i = 0; i < 100; ++i) stream.insert(stream.end(), frame.begin(), frame.end());
    for (auto _ : state) {
        for (std::size_t at = 0; at < stream.size(); at += NetworkBlockReader::kReadSize)
            reader.Read(std::span(stream).subspan(at, std::min(NetworkBlockReader::kReadSize, stream.size() - at)));
        benchmark::DoNotOptimize(sink.bytes);
    }
    state.SetItemsProcessed(state.iterations() * 100);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(stream.size()));
}
BENCHMARK(BM_ClientReadsFramedBlocks);

}  // namespace
}  // namespace orv
