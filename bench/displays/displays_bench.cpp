// Cost of decoding one telemetry block for the display windows (replay steps redraw all five).
#include <benchmark/benchmark.h>

#include <random>

#include "displays/matrix_content.h"
#include "displays/navigation_content.h"
#include "displays/power_content.h"
#include "displays/status_content.h"
#include "displays/temperature_content.h"

namespace {

orv::Block514 RandomABlock() {
    std::mt19937 rng(40);
    orv::Block514 b{};
    for (auto& x : b) x = static_cast<std::uint8_t>(rng());
    b[0] = 'A';
    return b;
}

void BM_ChannelTextAllAddresses(benchmark::State& state) {
    const orv::Block514 b = RandomABlock();
    for (auto _ : state)
        for (int address = 0x100; address < 0x200; ++address) benchmark::DoNotOptimize(orv::ChannelText(b, address, false));
    state.SetItemsProcessed(state.iterations() * 256);
}
BENCHMARK(BM_ChannelTextAllAddresses);

void BM_AllFiveWindows(benchmark::State& state) {
    const orv::Block514 b = RandomABlock();
    const orv::DisplayInput input{b, b, false, false};
    for (auto _ : state) {
        benchmark::DoNotOptimize(orv::StatusFields(input));
        benchmark::DoNotOptimize(orv::MatrixFields(input));
        benchmark::DoNotOptimize(orv::NavigationFields(input));
        benchmark::DoNotOptimize(orv::PowerFields(input));
        benchmark::DoNotOptimize(orv::TemperatureFields(input));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_AllFiveWindows);

}  // namespace
