#include "fec/viterbi.h"

#include <algorithm>
#include <array>
#include <vector>

#include "fec/fec_tables.h"
#include "fec/viterbi_kernels.h"

namespace orv::viterbi {

namespace {

// Path metrics at the start: state 0 (the encoder's start) at 0, the others unreachable.
std::array<std::int32_t, 64> StartMetrics() {
    std::array<std::int32_t, 64> metric{};
    metric.fill(-999999);
    metric[0] = 0;
    return metric;
}

// M[h] for the symbol pair s0, s1: the metric of the first symbol for bit h >> 1 plus that of the
// second for bit h & 1.
std::array<std::int32_t, 4> BranchMetrics(SoftSymbol s0, SoftSymbol s1) {
    const auto& table = ViterbiMetricTable();
    std::array<std::int32_t, 4> branch{};
    for (std::size_t h = 0; h < 4; ++h) branch[h] = table[h >> 1][s0] + table[h & 1][s1];
    return branch;
}

}  // namespace

// Written for clarity, state by state; the vector kernels are checked against it.
void AcsReference(const SoftSymbol* symbols, int steps, DecisionWord* decisions, std::int32_t* finalMetrics) {
    std::array<std::int32_t, 64> metric = StartMetrics();
    std::array<std::int32_t, 64> next{};
    for (int k = 0; k < steps; ++k) {
        const std::array<std::int32_t, 4> branch = BranchMetrics(symbols[2 * k], symbols[2 * k + 1]);
        DecisionWord word = 0;
        for (int n = 0; n < 64; ++n) {
            const int p0 = n >> 1;
            const int p1 = p0 + 32;
            const auto r0 = static_cast<unsigned>((2 * p0 + (n & 1)) & 127);
            const auto r1 = static_cast<unsigned>((2 * p1 + (n & 1)) & 127);
            const std::int32_t c0 = metric[static_cast<std::size_t>(p0)] + branch[static_cast<std::size_t>(BranchLabel(r0))];
            const std::int32_t c1 = metric[static_cast<std::size_t>(p1)] + branch[static_cast<std::size_t>(BranchLabel(r1))];
            // A tie keeps the lower predecessor.
            if (c1 > c0) {
                next[static_cast<std::size_t>(n)] = c1;
                word |= DecisionWord{1} << DecisionBit(n);
            } else {
                next[static_cast<std::size_t>(n)] = c0;
            }
        }
        decisions[k] = word;
        metric = next;
    }
    std::copy(metric.begin(), metric.end(), finalMetrics);
}

#if defined(__GNUC__) || defined(__clang__)

namespace {

// Four 32-bit lanes: SSE2 on any x86-64, NEON on 64-bit ARM (Raspberry Pi 3 to 5), plain
// registers where a processor has no vector unit. The compiler's vector extensions keep one
// source for all of them.
using Lanes = std::int32_t __attribute__((vector_size(16)));

// Lanes first, 4 + first, first + 1, 5 + first of a and b (a's lanes 0..3, b's 4..7): with first 0
// and 2, the even and odd states back in order.
template <int kFirst>
inline Lanes Interleave(Lanes a, Lanes b) {
#if defined(__clang__) || __GNUC__ >= 12
    return __builtin_shufflevector(a, b, kFirst, kFirst + 4, kFirst + 1, kFirst + 5);
#else
    return __builtin_shuffle(a, b, Lanes{kFirst, kFirst + 4, kFirst + 1, kFirst + 5});
#endif
}

// b where the mask lane is all ones, else a.
inline Lanes Select(Lanes mask, Lanes a, Lanes b) { return (b & mask) | (a & ~mask); }

// For butterfly j = 4q + lane: all ones in `high` where bit 1 of its label h(2j) is set, in `low`
// where bit 0 is; and the weight of its decision bit within the 32 even or odd decisions.
struct PortableConstants {
    Lanes high[8], low[8], weight[8];
};

const PortableConstants& Constants() {
    static const PortableConstants c = [] {
        PortableConstants t{};
        for (int q = 0; q < 8; ++q) {
            for (int lane = 0; lane < 4; ++lane) {
                const int label = kButterflyLabels[static_cast<std::size_t>(4 * q + lane)];
                t.high[q][lane] = (label & 2) != 0 ? -1 : 0;
                t.low[q][lane] = (label & 1) != 0 ? -1 : 0;
                t.weight[q][lane] = static_cast<std::int32_t>(1U << (4 * q + lane));
            }
        }
        return t;
    }();
    return c;
}

}  // namespace

// The butterflies four at a time. 64 metrics in 16 vectors: m[q] holds states 4q..4q+3, so
// butterflies j = 4q..4q+3 take m[q] and m[q + 8] and yield states 8q..8q+7, the even and odd
// results interleaved back into order. The branch metric of label h is
// M[0] + (bit 1 of h) x (M[2] - M[0]) + (bit 0 of h) x (M[1] - M[0]), and M[h] + M[h ^ 3] is the
// same for every h, so each step's two metric vectors per quarter take masks and adds only.
void AcsPortable(const SoftSymbol* symbols, int steps, DecisionWord* decisions, std::int32_t* finalMetrics) {
    const PortableConstants& c = Constants();
    const auto& table = ViterbiMetricTable();
    const std::array<std::int32_t, 64> start = StartMetrics();
    Lanes m[16];
    for (int q = 0; q < 16; ++q) m[q] = Lanes{start[4 * q], start[4 * q + 1], start[4 * q + 2], start[4 * q + 3]};
    for (int k = 0; k < steps; ++k) {
        const SoftSymbol s0 = symbols[2 * k];
        const SoftSymbol s1 = symbols[2 * k + 1];
        const std::int32_t m0 = table[0][s0] + table[0][s1];
        const std::int32_t firstBit = table[1][s0] - table[0][s0];
        const std::int32_t secondBit = table[1][s1] - table[0][s1];
        const Lanes base = Lanes{} + m0;
        const Lanes pair = Lanes{} + (2 * m0 + firstBit + secondBit);
        const Lanes first = Lanes{} + firstBit;
        const Lanes second = Lanes{} + secondBit;
        Lanes next[16];
        Lanes evenBits = Lanes{};
        Lanes oddBits = Lanes{};
        for (int q = 0; q < 8; ++q) {
            const Lanes lower = base + (first & c.high[q]) + (second & c.low[q]);
            const Lanes upper = pair - lower;
            const Lanes evenFromLow = m[q] + lower;
            const Lanes evenFromHigh = m[q + 8] + upper;
            const Lanes oddFromLow = m[q] + upper;
            const Lanes oddFromHigh = m[q + 8] + lower;
            // Decision 1 only when the upper predecessor is strictly better.
            const Lanes evenHigh = evenFromHigh > evenFromLow;
            const Lanes oddHigh = oddFromHigh > oddFromLow;
            const Lanes even = Select(evenHigh, evenFromLow, evenFromHigh);
            const Lanes odd = Select(oddHigh, oddFromLow, oddFromHigh);
            evenBits |= evenHigh & c.weight[q];
            oddBits |= oddHigh & c.weight[q];
            next[2 * q] = Interleave<0>(even, odd);
            next[2 * q + 1] = Interleave<2>(even, odd);
        }
        const auto evenMask = static_cast<std::uint32_t>(evenBits[0] | evenBits[1] | evenBits[2] | evenBits[3]);
        const auto oddMask = static_cast<std::uint32_t>(oddBits[0] | oddBits[1] | oddBits[2] | oddBits[3]);
        decisions[k] = evenMask | (static_cast<DecisionWord>(oddMask) << 32);
        for (int q = 0; q < 16; ++q) m[q] = next[q];
    }
    for (int q = 0; q < 16; ++q)
        for (int lane = 0; lane < 4; ++lane) finalMetrics[4 * q + lane] = m[q][lane];
}

#else

// Plain loops over the 32 butterflies, for compilers without vector extensions.
void AcsPortable(const SoftSymbol* symbols, int steps, DecisionWord* decisions, std::int32_t* finalMetrics) {
    std::array<std::int32_t, 64> metric = StartMetrics();
    std::array<std::int32_t, 64> next{};
    for (int k = 0; k < steps; ++k) {
        const std::array<std::int32_t, 4> branch = BranchMetrics(symbols[2 * k], symbols[2 * k + 1]);
        std::uint32_t evenMask = 0;
        std::uint32_t oddMask = 0;
        for (std::size_t j = 0; j < 32; ++j) {
            const std::int32_t lower = branch[kButterflyLabels[j]];
            const std::int32_t upper = branch[kButterflyLabels[j] ^ 3U];
            const std::int32_t evenFromLow = metric[j] + lower;
            const std::int32_t evenFromHigh = metric[j + 32] + upper;
            const std::int32_t oddFromLow = metric[j] + upper;
            const std::int32_t oddFromHigh = metric[j + 32] + lower;
            const bool evenHigh = evenFromHigh > evenFromLow;
            const bool oddHigh = oddFromHigh > oddFromLow;
            next[2 * j] = evenHigh ? evenFromHigh : evenFromLow;
            next[2 * j + 1] = oddHigh ? oddFromHigh : oddFromLow;
            evenMask |= static_cast<std::uint32_t>(evenHigh) << j;
            oddMask |= static_cast<std::uint32_t>(oddHigh) << j;
        }
        decisions[k] = evenMask | (static_cast<DecisionWord>(oddMask) << 32);
        metric = next;
    }
    std::copy(metric.begin(), metric.end(), finalMetrics);
}

#endif

// Branch-free: the decision bit is shifted into the byte being built and into the state, so the
// loop costs the same whatever the decisions are (a branch on them mispredicts on noisy frames).
void Traceback(std::span<const DecisionWord> decisions, std::span<std::uint8_t> out) {
    const std::size_t total = decisions.size() > 6 ? decisions.size() - 6 : 0;  // decoded bits
    const std::size_t bytes = std::min(out.size(), (total + 7) / 8);
    const std::size_t written = std::min(total, 8 * bytes);
    // The loop follows the decision bit of the state, t = DecisionBit(state), rather than the
    // state: with state = s5..s0 and t = s0 s5..s1, the predecessor (d s5..s1) has t = s1 d s5..s2.
    // Only the shift, mask and insertion of d then wait for the previous step.
    unsigned t = 0;  // the encoder was flushed with zeros: state 0, bit 0
    auto step = [&](std::size_t k) {
        const auto d = static_cast<unsigned>(decisions[k] >> t) & 1U;
        t = ((t & 1U) << 5) | ((t >> 1) & 15U) | (d << 4);
        return d;
    };
    // Steps past the last output bit only move the state.
    for (std::size_t k = decisions.size(); k-- > 6 + written;) step(k);
    std::fill(out.begin() + static_cast<std::ptrdiff_t>(bytes), out.end(), std::uint8_t{0});
    for (std::size_t byte = bytes; byte-- > 0;) {
        const std::size_t used = std::min<std::size_t>(8, written - 8 * byte);
        unsigned value = 0;
        for (std::size_t b = used; b-- > 0;) value |= step(6 + 8 * byte + b) << (7 - b);
        out[byte] = static_cast<std::uint8_t>(value);
    }
}

bool KernelSupported(Kernel kernel) {
#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
    switch (kernel) {
        case Kernel::Reference:
        case Kernel::Portable: return true;
        case Kernel::Avx2: return __builtin_cpu_supports("avx2");
        case Kernel::Avx512: return __builtin_cpu_supports("avx512f");
    }
    return false;
#else
    return kernel == Kernel::Reference || kernel == Kernel::Portable;
#endif
}

Kernel BestKernel() {
    static const Kernel best = [] {
        for (Kernel k : {Kernel::Avx512, Kernel::Avx2})
            if (KernelSupported(k)) return k;
        return Kernel::Portable;
    }();
    return best;
}

AcsFunction KernelFunction(Kernel kernel) {
#if defined(__x86_64__) || defined(__i386__)
    if (kernel == Kernel::Avx2) return AcsAvx2;
    if (kernel == Kernel::Avx512) return AcsAvx512;
#endif
    if (kernel == Kernel::Portable) return AcsPortable;
    return AcsReference;
}

const char* KernelName(Kernel kernel) {
    switch (kernel) {
        case Kernel::Reference: return "reference";
        case Kernel::Avx2: return "avx2";
        case Kernel::Avx512: return "avx512";
        case Kernel::Portable: return "portable";
    }
    return "?";
}

int ViterbiDecodeWith(Kernel kernel, std::span<const SoftSymbol> symbols, int steps, std::span<std::uint8_t> out) {
    if (steps < 6 || steps > kMaxViterbiSteps) return -1;
    const auto stepCount = static_cast<std::size_t>(steps);
    const std::size_t bytes = (stepCount - 6) / 8;
    if (symbols.size() < 2 * stepCount || out.size() < bytes) return -1;
    if (!KernelSupported(kernel)) kernel = Kernel::Portable;

    // The frame decoder's size fits on the stack; longer inputs get heap memory.
    std::array<DecisionWord, kFecViterbiSteps> local;
    std::vector<DecisionWord> heap;
    DecisionWord* decisions = local.data();
    if (steps > kFecViterbiSteps) {
        heap.resize(stepCount);
        decisions = heap.data();
    }
    std::array<std::int32_t, 64> finalMetrics{};
    KernelFunction(kernel)(symbols.data(), steps, decisions, finalMetrics.data());
    Traceback(std::span<const DecisionWord>(decisions, stepCount), out.first(bytes));
    return static_cast<int>(bytes);
}

}  // namespace orv::viterbi

namespace orv {

int ViterbiDecode(std::span<const SoftSymbol> symbols, int steps, std::span<std::uint8_t> out) {
    return viterbi::ViterbiDecodeWith(viterbi::BestKernel(), symbols, steps, out);
}

}  // namespace orv
