// The frame decoder's Viterbi and Reed-Solomon stages beside Debian's libfec (viterbi27,
// decode_rs_8) in the same run, on the same frame, with the time ratios at the end.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

extern "C" {
#include <fec.h>
}

#include "fec/fec_codec.h"
#include "fec/reed_solomon.h"
#include "fec/viterbi.h"
#include "fec/viterbi_kernels.h"
#include "fec_test_util.h"

namespace {

using namespace orv;

constexpr int kDataBits = 8 * static_cast<int>(kFecCodedBytes);

// The coded symbols of a frame received with about 1.6 % symbol errors, de-interleaved.
const std::array<SoftSymbol, kFecCodedSymbols>& CodedSymbols() {
    static const auto symbols = [] {
        const FecFrame frame = test::NoisyFrame(test::RandomData(1), 30.0, 2);
        std::array<SoftSymbol, kFecCodedSymbols> coded{};
        for (std::size_t n = 0; n < kFecCodedSymbols; ++n) coded[n] = frame[kFecColumns * (n % kFecRows) + 1 + n / kFecRows];
        return coded;
    }();
    return symbols;
}

// The code as libfec names it: first symbol from 0x4F, second from 0x6D inverted.
void* CreateLibfecViterbi() {
    int polys[2] = {V27POLYB, -V27POLYA};
    set_viterbi27_polynomial(polys);
    return create_viterbi27(kDataBits);
}

std::array<std::uint8_t, kFecCodedBytes> LibfecViterbi(void* vp) {
    std::array<std::uint8_t, kFecCodedBytes> out{};
    auto symbols = CodedSymbols();
    init_viterbi27(vp, 0);
    update_viterbi27_blk(vp, symbols.data(), kFecViterbiSteps);
    chainback_viterbi27(vp, out.data(), kDataBits, 0);
    return out;
}

void BM_Viterbi_Orv(benchmark::State& state) {
    const auto kernel = static_cast<viterbi::Kernel>(state.range(0));
    if (!viterbi::KernelSupported(kernel)) {
        state.SkipWithError("kernel not supported by this processor");
        return;
    }
    std::array<std::uint8_t, kFecCodedBytes> out{};
    for (auto _ : state) {
        benchmark::DoNotOptimize(viterbi::ViterbiDecodeWith(kernel, CodedSymbols(), kFecViterbiSteps, out));
        benchmark::ClobberMemory();
    }
    state.SetLabel(viterbi::KernelName(kernel));
}
BENCHMARK(BM_Viterbi_Orv)
    ->ArgName("kernel")
    ->Arg(static_cast<int>(viterbi::Kernel::Reference))
    ->Arg(static_cast<int>(viterbi::Kernel::Portable))
    ->Arg(static_cast<int>(viterbi::BestKernel()))
    ->Unit(benchmark::kMicrosecond);

void BM_Viterbi_Libfec(benchmark::State& state) {
    void* vp = CreateLibfecViterbi();
    for (auto _ : state) benchmark::DoNotOptimize(LibfecViterbi(vp));
    delete_viterbi27(vp);
}
BENCHMARK(BM_Viterbi_Libfec)->Unit(benchmark::kMicrosecond);

// Codeword 0 of the frame with `errors` wrong bytes: 160 bytes after the 95-byte padding.
std::array<std::uint8_t, kRsLength> Codeword(int errors) {
    const auto bytes = FecTransmittedBytes(test::RandomData(3));
    std::array<std::uint8_t, kRsLength> cw{};
    for (std::size_t t = 0; t < kFecCodedBytes; t += 2) cw[kRsPadding + t / 2] = bytes[t];
    for (int e = 0; e < errors; ++e) cw[kRsPadding + static_cast<std::size_t>(e * 10)] ^= static_cast<std::uint8_t>(e + 1);
    return cw;
}

void BM_RsDecode_Orv(benchmark::State& state) {
    const auto received = Codeword(static_cast<int>(state.range(0)));
    auto cw = received;
    for (auto _ : state) {
        cw = received;
        benchmark::DoNotOptimize(RsDecode(cw));
    }
}
BENCHMARK(BM_RsDecode_Orv)->ArgName("errors")->Arg(0)->Arg(16)->Unit(benchmark::kMicrosecond);

void BM_RsDecode_Libfec(benchmark::State& state) {
    const auto received = Codeword(static_cast<int>(state.range(0)));
    auto cw = received;
    for (auto _ : state) {
        cw = received;
        benchmark::DoNotOptimize(decode_rs_8(cw.data() + kRsPadding, nullptr, 0, static_cast<int>(kRsPadding)));
    }
}
BENCHMARK(BM_RsDecode_Libfec)->ArgName("errors")->Arg(0)->Arg(16)->Unit(benchmark::kMicrosecond);

// Keeps the CPU time per iteration of each benchmark (the median when repeated).
class CollectingReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> cpuTime;
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs) {
            if (r.run_type == Run::RT_Aggregate && r.aggregate_name != "median") continue;
            cpuTime[r.run_name.function_name + "/" + r.run_name.args] = r.GetAdjustedCPUTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

void PrintRatio(const CollectingReporter& rep, const char* what, const std::string& theirs, const std::string& ours) {
    const auto a = rep.cpuTime.find(theirs);
    const auto b = rep.cpuTime.find(ours);
    if (a == rep.cpuTime.end() || b == rep.cpuTime.end() || b->second <= 0) return;
    std::printf("%-36s libfec %9.2f us, Orv %9.2f us: libfec / Orv = %6.1f\n", what, a->second, b->second, a->second / b->second);
}

}  // namespace

int main(int argc, char** argv) {
    // The same frame through both decoders must give the same bytes.
    void* vp = CreateLibfecViterbi();
    const auto theirs = LibfecViterbi(vp);
    delete_viterbi27(vp);
    std::array<std::uint8_t, kFecCodedBytes> ours{};
    ViterbiDecode(CodedSymbols(), kFecViterbiSteps, ours);
    auto cwOurs = Codeword(16);
    auto cwTheirs = cwOurs;
    const int rsOurs = RsDecode(cwOurs);
    const int rsTheirs = decode_rs_8(cwTheirs.data() + kRsPadding, nullptr, 0, static_cast<int>(kRsPadding));
    std::printf("Viterbi output %s libfec's; RS with 16 errors: Orv %d, libfec %d, codewords %s\n",
                theirs == ours ? "equals" : "DIFFERS FROM", rsOurs, rsTheirs, cwOurs == cwTheirs ? "equal" : "DIFFER");

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    CollectingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const std::string best = "kernel:" + std::to_string(static_cast<int>(viterbi::BestKernel()));
    std::printf("\n");
    PrintRatio(reporter, "Viterbi, 2566 steps (best kernel)", "BM_Viterbi_Libfec/", "BM_Viterbi_Orv/" + best);
    PrintRatio(reporter, "Viterbi, 2566 steps (portable kernel)", "BM_Viterbi_Libfec/",
               "BM_Viterbi_Orv/kernel:" + std::to_string(static_cast<int>(viterbi::Kernel::Portable)));
    PrintRatio(reporter, "Reed-Solomon codeword, 0 errors", "BM_RsDecode_Libfec/errors:0", "BM_RsDecode_Orv/errors:0");
    PrintRatio(reporter, "Reed-Solomon codeword, 16 errors", "BM_RsDecode_Libfec/errors:16", "BM_RsDecode_Orv/errors:16");
    return 0;
}
