// FEC frame decoding and ADC sample path throughput on one core.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "fec/adc_sample_path.h"
#include "fec/adc_synth.h"
#include "fec/fec_codec.h"
#include "fec/reed_solomon.h"
#include "fec/viterbi.h"
#include "fec/viterbi_kernels.h"
#include "fec_test_util.h"

namespace {

using namespace orv;

const std::vector<FecFrame>& CleanFrames() {
    static const std::vector<FecFrame> frames = [] {
        std::vector<FecFrame> f;
        for (std::uint32_t seed = 1; seed <= test::kVariedFrames; ++seed) f.push_back(test::EncodeSoft(test::RandomData(seed)));
        return f;
    }();
    return frames;
}

void BM_DecodeFecFrame(benchmark::State& state) {
    const std::vector<FecFrame>& frames = state.range(0) != 0 ? test::VariedNoisyFrames() : CleanFrames();
    FecStatus status;
    FecData data{};
    std::size_t next = 0;
    bool allDecoded = true;
    for (auto _ : state) {
        allDecoded &= DecodeFecFrame(frames[next], status, data);
        next = (next + 1) % frames.size();
        benchmark::ClobberMemory();
    }
    if (!allDecoded) state.SkipWithError("a frame did not decode");
    state.counters["frames/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.SetLabel(viterbi::KernelName(viterbi::BestKernel()));
}
BENCHMARK(BM_DecodeFecFrame)->ArgName("noisy")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The 2566-step Viterbi stage with each kernel the processor runs, over the varied frames.
void BM_ViterbiDecode(benchmark::State& state) {
    const auto kernel = static_cast<viterbi::Kernel>(state.range(0));
    if (!viterbi::KernelSupported(kernel)) {
        state.SkipWithError("kernel not supported by this processor");
        return;
    }
    const std::vector<FecFrame>& frames = test::VariedNoisyFrames();
    std::array<std::uint8_t, kFecCodedBytes> out{};
    std::size_t next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(viterbi::ViterbiDecodeWith(kernel, frames[next], kFecViterbiSteps, out));
        next = (next + 1) % frames.size();
        benchmark::ClobberMemory();
    }
    state.SetLabel(viterbi::KernelName(kernel));
}
BENCHMARK(BM_ViterbiDecode)
    ->ArgName("kernel")
    ->Arg(static_cast<int>(viterbi::Kernel::Reference))
    ->Arg(static_cast<int>(viterbi::Kernel::Portable))
    ->Arg(static_cast<int>(viterbi::Kernel::Avx2))
    ->Arg(static_cast<int>(viterbi::Kernel::Avx512))
    ->Unit(benchmark::kMicrosecond);

// The traceback alone over the decisions of the varied frames.
void BM_Traceback(benchmark::State& state) {
    std::vector<std::vector<viterbi::DecisionWord>> decisions;
    for (const FecFrame& frame : test::VariedNoisyFrames()) {
        std::vector<viterbi::DecisionWord> words(kFecViterbiSteps);
        std::array<std::int32_t, 64> metrics{};
        viterbi::KernelFunction(viterbi::BestKernel())(frame.data(), kFecViterbiSteps, words.data(), metrics.data());
        decisions.push_back(std::move(words));
    }
    std::array<std::uint8_t, kFecCodedBytes> out{};
    std::size_t next = 0;
    for (auto _ : state) {
        viterbi::Traceback(decisions[next], out);
        next = (next + 1) % decisions.size();
        benchmark::DoNotOptimize(out);
    }
}
BENCHMARK(BM_Traceback)->Unit(benchmark::kMicrosecond);

// One codeword of the frame (128 data bytes after 95 zero bytes) with a number of byte errors.
void BM_RsDecode(benchmark::State& state) {
    const auto errors = static_cast<int>(state.range(0));
    const auto bytes = FecTransmittedBytes(test::RandomData(3));
    std::array<std::uint8_t, kRsLength> clean{};
    for (std::size_t t = 0; t < kFecCodedBytes; t += 2) clean[kRsPadding + t / 2] = bytes[t];
    std::array<std::uint8_t, kRsLength> received = clean;
    for (int e = 0; e < errors; ++e) received[kRsPadding + static_cast<std::size_t>(e * 10)] ^= static_cast<std::uint8_t>(e + 1);
    std::array<std::uint8_t, kRsLength> cw{};
    int result = 0;
    for (auto _ : state) {
        cw = received;
        result = RsDecode(cw);
        benchmark::DoNotOptimize(cw);
    }
    if (result != errors) state.SkipWithError("unexpected decoding result");
}
BENCHMARK(BM_RsDecode)->ArgName("errors")->Arg(0)->Arg(4)->Arg(16)->Unit(benchmark::kMicrosecond);

void BM_FecEncodeFrame(benchmark::State& state) {
    const FecData data = test::RandomData(4);
    std::array<std::uint8_t, kFecFrameSymbols> frame{};
    for (auto _ : state) {
        FecEncodeFrame(data, frame);
        benchmark::DoNotOptimize(frame);
    }
}
BENCHMARK(BM_FecEncodeFrame)->Unit(benchmark::kMicrosecond);

// The sample path while searching: both correlators on every sample, no sync in the stream.
struct NoCallouts : AdcPathCallouts {
    void RestartAtSync() override {}
    void ReceiveByte(std::uint8_t) override {}
    void DecodeFrame(std::span<const SoftSymbol, kFecFrameSymbols>) override {}
};

void BM_ProcessAdcBytes(benchmark::State& state) {
    const auto correlators = static_cast<AdcSamplePath::Correlators>(state.range(0));
    AdcSynthOptions options;
    options.ebNoDb = 6.0;
    AdcSynthesizer synth(options);
    std::vector<std::uint8_t> samples;
    synth.AppendIdle(1 << 16, samples);
    FecStatus status;
    NoCallouts out;
    AdcSamplePath path(status, out, correlators);
    for (auto _ : state) {
        path.ProcessAdcBytes(samples);
        benchmark::DoNotOptimize(status.syncGain);
    }
    if (path.Capturing()) state.SkipWithError("a false block sync started a capture");
    state.counters["samples/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * static_cast<double>(samples.size()), benchmark::Counter::kIsRate);
    state.SetLabel(correlators == AdcSamplePath::Correlators::Fast ? "fast" : "reference");
}
BENCHMARK(BM_ProcessAdcBytes)
    ->ArgName("correlators")
    ->Arg(static_cast<int>(AdcSamplePath::Correlators::Reference))
    ->Arg(static_cast<int>(AdcSamplePath::Correlators::Fast))
    ->Unit(benchmark::kMillisecond);

}  // namespace
