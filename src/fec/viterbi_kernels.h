#pragma once
// The add-compare-select stage of the Viterbi decoder in interchangeable kernels: the portable
// reference and vectorised ones chosen at run time. All produce the same decision words.
#include <array>
#include <cstdint>
#include <span>

#include "fec/fec_tables.h"
#include "fec/soft_symbol.h"

namespace orv::viterbi {

// One decision word per step. A state is the last 6 input bits, newest in bit 0; its decision is
// 1 when it was reached from predecessor (n >> 1) + 32 rather than n >> 1. Even states n keep their
// decision in bit n / 2, odd states in bit 32 + n / 2, which is the order vector kernels make them.
using DecisionWord = std::uint64_t;

inline constexpr int DecisionBit(int state) { return (state & 1) * 32 + (state >> 1); }

// The kernels work in butterflies: states j and j + 32 (j = 0..31) lead to 2j and 2j + 1. Both
// generator polynomials have their first and last taps, so flipping bit 0 or bit 6 of the
// register flips both symbols, and two labels serve each butterfly: h(2j) for the branches
// j -> 2j and j + 32 -> 2j + 1, h(2j) XOR 3 for j + 32 -> 2j and j -> 2j + 1.
inline constexpr std::array<std::uint8_t, 32> kButterflyLabels = [] {
    std::array<std::uint8_t, 32> labels{};
    for (unsigned j = 0; j < 32; ++j) labels[j] = static_cast<std::uint8_t>(BranchLabel(2 * j));
    return labels;
}();

constexpr bool ButterflyLabelsHold() {
    for (unsigned j = 0; j < 32; ++j) {
        const int h = BranchLabel(2 * j);
        if (BranchLabel(2 * j + 65) != h || BranchLabel(2 * j + 1) != (h ^ 3) || BranchLabel(2 * j + 64) != (h ^ 3)) return false;
    }
    return true;
}
static_assert(ButterflyLabelsHold());

// Reference: state by state as written down, for checking the others. Portable: four butterflies
// at a time in the compiler's vector extensions (SSE2 on x86-64, NEON on 64-bit ARM such as a
// Raspberry Pi), for processors without the x86 kernels below.
enum class Kernel { Reference, Avx2, Avx512, Portable };

// Runs `steps` steps over 2 x steps symbols, writing `steps` decision words and the 64 final path
// metrics. Path metrics start at 0 for state 0 and -999999 for the others.
using AcsFunction = void (*)(const SoftSymbol* symbols, int steps, DecisionWord* decisions, std::int32_t* finalMetrics);

void AcsReference(const SoftSymbol* symbols, int steps, DecisionWord* decisions, std::int32_t* finalMetrics);
void AcsPortable(const SoftSymbol* symbols, int steps, DecisionWord* decisions, std::int32_t* finalMetrics);
#if defined(__x86_64__) || defined(__i386__)
void AcsAvx2(const SoftSymbol* symbols, int steps, DecisionWord* decisions, std::int32_t* finalMetrics);
void AcsAvx512(const SoftSymbol* symbols, int steps, DecisionWord* decisions, std::int32_t* finalMetrics);
#endif

// Whether the processor runs a kernel; the reference and the portable kernel always run.
bool KernelSupported(Kernel kernel);
// The fastest supported kernel, decided once.
Kernel BestKernel();
AcsFunction KernelFunction(Kernel kernel);
const char* KernelName(Kernel kernel);

// Traceback from state 0 over the decisions of `steps` steps into (steps - 6) bits.
void Traceback(std::span<const DecisionWord> decisions, std::span<std::uint8_t> out);

// ViterbiDecode with a given kernel.
int ViterbiDecodeWith(Kernel kernel, std::span<const SoftSymbol> symbols, int steps, std::span<std::uint8_t> out);

}  // namespace orv::viterbi
