// The frame decoder and its Viterbi and Reed-Solomon stages beside Debian's libfec (viterbi27,
// decode_rs_8) in the same run, on the same varied frames, with the time ratios at the end.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

extern "C" {
#include <fec.h>
}

#include "fec/fec_codec.h"
#include "fec/fec_tables.h"
#include "fec/reed_solomon.h"
#include "fec/viterbi.h"
#include "fec/viterbi_kernels.h"
#include "fec_test_util.h"

namespace {

using namespace orv;

constexpr int kDataBits = 8 * static_cast<int>(kFecCodedBytes);

// The coded symbols of a frame, de-interleaved.
std::array<SoftSymbol, kFecCodedSymbols> Deinterleave(const FecFrame& frame) {
    std::array<SoftSymbol, kFecCodedSymbols> coded{};
    for (std::size_t n = 0; n < kFecCodedSymbols; ++n) coded[n] = frame[kFecColumns * (n % kFecRows) + 1 + n / kFecRows];
    return coded;
}

const std::vector<std::array<SoftSymbol, kFecCodedSymbols>>& CodedSymbols() {
    static const auto symbols = [] {
        std::vector<std::array<SoftSymbol, kFecCodedSymbols>> coded;
        for (const FecFrame& frame : test::VariedNoisyFrames()) coded.push_back(Deinterleave(frame));
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

std::array<std::uint8_t, kFecCodedBytes> LibfecViterbi(void* vp, const std::array<SoftSymbol, kFecCodedSymbols>& coded) {
    std::array<std::uint8_t, kFecCodedBytes> out{};
    auto symbols = coded;  // libfec takes a non-const pointer
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
    std::size_t next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(viterbi::ViterbiDecodeWith(kernel, CodedSymbols()[next], kFecViterbiSteps, out));
        next = (next + 1) % CodedSymbols().size();
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
    std::size_t next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(LibfecViterbi(vp, CodedSymbols()[next]));
        next = (next + 1) % CodedSymbols().size();
    }
    delete_viterbi27(vp);
}
BENCHMARK(BM_Viterbi_Libfec)->Unit(benchmark::kMicrosecond);

// A whole frame with libfec: de-interleave, viterbi27, descramble into the two codewords, two
// decode_rs_8. Returns false when a codeword does not decode.
bool LibfecFrame(void* vp, const FecFrame& frame, FecData& data) {
    const auto bytes = LibfecViterbi(vp, Deinterleave(frame));
    std::array<std::array<std::uint8_t, kRsLength>, 2> cw{};
    const auto& scrambler = ScramblerTable();
    for (std::size_t t = 0; t < kFecCodedBytes; ++t) cw[t % 2][kRsPadding + t / 2] = bytes[t] ^ scrambler[t];
    bool ok = true;
    for (auto& c : cw) ok &= decode_rs_8(c.data() + kRsPadding, nullptr, 0, static_cast<int>(kRsPadding)) >= 0;
    for (std::size_t t = 0; t < kFecDataBytes; ++t) data[t] = cw[t % 2][kRsPadding + t / 2];
    return ok;
}

void BM_Frame_Orv(benchmark::State& state) {
    FecStatus status;
    FecData data{};
    std::size_t next = 0;
    bool allDecoded = true;
    for (auto _ : state) {
        allDecoded &= DecodeFecFrame(test::VariedNoisyFrames()[next], status, data);
        next = (next + 1) % test::VariedNoisyFrames().size();
        benchmark::ClobberMemory();
    }
    if (!allDecoded) state.SkipWithError("a frame did not decode");
    state.SetLabel("incl. re-encoding and Eb/No");
}
BENCHMARK(BM_Frame_Orv)->Unit(benchmark::kMicrosecond);

void BM_Frame_Libfec(benchmark::State& state) {
    void* vp = CreateLibfecViterbi();
    FecData data{};
    std::size_t next = 0;
    bool allDecoded = true;
    for (auto _ : state) {
        allDecoded &= LibfecFrame(vp, test::VariedNoisyFrames()[next], data);
        next = (next + 1) % test::VariedNoisyFrames().size();
        benchmark::ClobberMemory();
    }
    delete_viterbi27(vp);
    if (!allDecoded) state.SkipWithError("a frame did not decode");
}
BENCHMARK(BM_Frame_Libfec)->Unit(benchmark::kMicrosecond);

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
    // Every frame through both decoders must give the same bytes.
    void* vp = CreateLibfecViterbi();
    int viterbiSame = 0;
    int framesSame = 0;
    for (std::size_t i = 0; i < test::VariedNoisyFrames().size(); ++i) {
        std::array<std::uint8_t, kFecCodedBytes> ours{};
        ViterbiDecode(CodedSymbols()[i], kFecViterbiSteps, ours);
        viterbiSame += LibfecViterbi(vp, CodedSymbols()[i]) == ours ? 1 : 0;
        FecStatus status;
        FecData dataOurs{};
        FecData dataTheirs{};
        const bool okOurs = DecodeFecFrame(test::VariedNoisyFrames()[i], status, dataOurs);
        const bool okTheirs = LibfecFrame(vp, test::VariedNoisyFrames()[i], dataTheirs);
        framesSame += okOurs && okTheirs && dataOurs == dataTheirs && dataOurs == test::RandomData(static_cast<std::uint32_t>(i + 1)) ? 1 : 0;
    }
    delete_viterbi27(vp);
    auto cwOurs = Codeword(16);
    auto cwTheirs = cwOurs;
    const int rsOurs = RsDecode(cwOurs);
    const int rsTheirs = decode_rs_8(cwTheirs.data() + kRsPadding, nullptr, 0, static_cast<int>(kRsPadding));
    std::printf("%zu varied frames: Viterbi output equal to libfec's in %d, both decode the sent data in %d\n",
                test::VariedNoisyFrames().size(), viterbiSame, framesSame);
    std::printf("RS with 16 errors: Orv %d, libfec %d, codewords %s\n", rsOurs, rsTheirs, cwOurs == cwTheirs ? "equal" : "DIFFER");

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
    PrintRatio(reporter, "Whole frame (Viterbi + 2 RS)", "BM_Frame_Libfec/", "BM_Frame_Orv/");
    PrintRatio(reporter, "Reed-Solomon codeword, 0 errors", "BM_RsDecode_Libfec/errors:0", "BM_RsDecode_Orv/errors:0");
    PrintRatio(reporter, "Reed-Solomon codeword, 16 errors", "BM_RsDecode_Libfec/errors:16", "BM_RsDecode_Orv/errors:16");
    return 0;
}
