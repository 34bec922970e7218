// CRCC and block receiver throughput.
#include <benchmark/benchmark.h>

#include <vector>

#include "pipeline/reception_pipeline.h"
#include "reception/crcc.h"

namespace {

void BM_CrccBlock(benchmark::State& state) {
    std::vector<std::uint8_t> block(512);
    for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<std::uint8_t>(i * 7);
    for (auto _ : state) benchmark::DoNotOptimize(orv::Crcc(block));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 512);
}
BENCHMARK(BM_CrccBlock);

// 514-byte blocks in 64-byte chunks through the reception pipeline and a sink; the clock moves on
// two seconds after each block, so every block is received whole, judged and handed on.
struct CountingSink final : orv::BlockSink {
    std::int64_t blocks = 0;
    void TakeBlock(const orv::ReceivedBlock&) override { ++blocks; }
};

void BM_ReceiverStream(benchmark::State& state) {
    orv::StationState station;
    orv::ManualClock clock(1000);
    orv::ReceptionPipeline pipeline(station, clock);
    CountingSink sink;
    pipeline.AddSink(sink);
    std::vector<std::uint8_t> block(514);
    for (std::size_t i = 0; i < 512; ++i) block[i] = static_cast<std::uint8_t>(i * 13);
    block[0] = 'A';
    block[1] = ' ';
    const auto c = orv::Crcc(std::span(block).first(512));
    block[512] = static_cast<std::uint8_t>(c >> 8);
    block[513] = static_cast<std::uint8_t>(c);
    for (auto _ : state) {
        for (std::size_t i = 0; i < 514; i += 64) pipeline.SerialBytes(std::span(block).subspan(i, std::min<std::size_t>(64, 514 - i)));
        clock.Advance(2);
    }
    if (sink.blocks != static_cast<std::int64_t>(state.iterations())) state.SkipWithError("a block was not received");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 514);
    state.counters["blocks/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ReceiverStream);

}  // namespace
