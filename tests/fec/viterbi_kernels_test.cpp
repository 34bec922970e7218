// The vector kernels of the Viterbi decoder against the portable reference, decision for decision.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <span>
#include <vector>

#include "fec/fec_tables.h"
#include "fec/viterbi_kernels.h"
#include "fec_test_util.h"

namespace orv::viterbi {
namespace {

struct KernelRun {
    std::vector<DecisionWord> decisions;
    std::array<std::int32_t, 64> metrics{};
};

KernelRun RunKernel(Kernel kernel, const std::vector<SoftSymbol>& symbols) {
    KernelRun r;
    const int steps = static_cast<int>(symbols.size() / 2);
    r.decisions.resize(static_cast<std::size_t>(steps));
    KernelFunction(kernel)(symbols.data(), steps, r.decisions.data(), r.metrics.data());
    return r;
}

// Inputs that exercise ties as well as ordinary noisy frames.
std::vector<std::vector<SoftSymbol>> Inputs() {
    std::vector<std::vector<SoftSymbol>> inputs;
    for (std::uint32_t seed = 1; seed <= 6; ++seed) {
        const FecFrame frame = test::NoisyFrame(test::RandomData(seed), 20.0 * seed, seed);
        inputs.emplace_back(frame.begin(), frame.begin() + 2 * kFecViterbiSteps);
    }
    std::mt19937 random(99);
    std::vector<SoftSymbol> uniform(2 * kFecViterbiSteps);
    for (auto& s : uniform) s = static_cast<SoftSymbol>(random());
    inputs.push_back(uniform);
    // Equal symbols make many candidate metrics equal.
    for (SoftSymbol v : {SoftSymbol{0}, SoftSymbol{127}, SoftSymbol{128}, SoftSymbol{255}})
        inputs.emplace_back(2 * kFecViterbiSteps, v);
    std::vector<SoftSymbol> few(2 * kFecViterbiSteps);
    for (auto& s : few) s = static_cast<SoftSymbol>((random() % 3) * 127);  // 0, 127, 254
    inputs.push_back(few);
    return inputs;
}

class KernelEquivalence : public ::testing::TestWithParam<Kernel> {};

TEST_P(KernelEquivalence, SameDecisionsAndMetricsAsTheReference) {
    const Kernel kernel = GetParam();
    if (!KernelSupported(kernel)) GTEST_SKIP() << KernelName(kernel) << " not supported by this processor";
    for (const auto& input : Inputs()) {
        const KernelRun expected = RunKernel(Kernel::Reference, input);
        const KernelRun actual = RunKernel(kernel, input);
        ASSERT_EQ(actual.metrics, expected.metrics);
        for (std::size_t k = 0; k < expected.decisions.size(); ++k)
            ASSERT_EQ(actual.decisions[k], expected.decisions[k]) << "step " << k;
    }
}

INSTANTIATE_TEST_SUITE_P(Viterbi, KernelEquivalence, ::testing::Values(Kernel::Portable, Kernel::Avx2, Kernel::Avx512),
                         [](const auto& info) { return std::string(KernelName(info.param)); });

TEST(Viterbi, TiesKeepTheLowerPredecessor) {
    // Symbols 127, 128: branch metrics M = {0, 2, -2, 0}. In the first step every state n >= 2 has
    // two unreachable predecessors, so labels 0 and 3 tie (decision 0), label 1 keeps the lower
    // predecessor and label 2 takes the upper one.
    const std::vector<SoftSymbol> symbols = {127, 128, 127, 128};
    for (Kernel kernel : {Kernel::Reference, Kernel::Portable, Kernel::Avx2, Kernel::Avx512}) {
        if (!KernelSupported(kernel)) continue;
        const KernelRun r = RunKernel(kernel, symbols);
        for (int n = 0; n < 64; ++n) {
            const bool expected = n >= 2 && BranchLabel(static_cast<unsigned>(n)) == 2;
            EXPECT_EQ(((r.decisions[0] >> DecisionBit(n)) & 1U) != 0, expected) << KernelName(kernel) << " state " << n;
        }
    }
}

// The traceback as first written, one branch per decided bit: the branch-free one must match it.
void TracebackByBranches(std::span<const DecisionWord> decisions, std::span<std::uint8_t> out) {
    std::fill(out.begin(), out.end(), std::uint8_t{0});
    const std::size_t bits = out.size() * 8;
    unsigned state = 0;
    for (std::size_t k = decisions.size(); k-- > 6;) {
        const unsigned d = static_cast<unsigned>(decisions[k] >> DecisionBit(static_cast<int>(state))) & 1U;
        const std::size_t bit = k - 6;
        if (d != 0 && bit < bits) out[bit / 8] |= static_cast<std::uint8_t>(0x80U >> (bit % 8));
        state = (state + 64 * d) >> 1;
    }
}

TEST(Viterbi, TracebackMatchesTheBranchingOneOnAnyDecisionsAndLengths) {
    std::mt19937_64 random(14);
    std::vector<std::vector<DecisionWord>> inputs;
    for (const auto& symbols : Inputs()) inputs.push_back(RunKernel(Kernel::Reference, symbols).decisions);
    for (std::size_t steps : {0, 5, 6, 7, 13, 14, 15, 64, 1000, 2566}) {
        std::vector<DecisionWord> words(steps);
        for (auto& w : words) w = random();
        inputs.push_back(words);
    }
    for (const auto& words : inputs) {
        // Outputs shorter than, equal to and longer than the decoded bits.
        const std::size_t exact = words.size() > 6 ? (words.size() - 6) / 8 : 0;
        for (std::size_t size : {std::size_t{0}, std::size_t{1}, exact / 2, exact, exact + 1, exact + 3}) {
            std::vector<std::uint8_t> expected(size, 0xA5);
            std::vector<std::uint8_t> actual(size, 0x5A);
            TracebackByBranches(words, expected);
            Traceback(words, actual);
            ASSERT_EQ(actual, expected) << words.size() << " steps into " << size << " bytes";
        }
    }
}

}  // namespace
}  // namespace orv::viterbi
