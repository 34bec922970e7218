// The portable Viterbi kernel against the reference, built for another processor (64-bit ARM, as
// a Raspberry Pi runs it) and run there or in an emulator (viterbi_aarch64.sh): the same decisions
// and final metrics on noisy, random and tie-prone inputs, and an encoded message decoded back.
// Prints the time per frame of both kernels. Exit status 0 when all agree. Plain C++, no test
// framework, so that it builds with nothing but a cross compiler.
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <random>
#include <vector>

#include "fec/fec_tables.h"
#include "fec/viterbi.h"
#include "fec/viterbi_kernels.h"

namespace {

using namespace orv;
using namespace orv::viterbi;

constexpr int kSteps = kFecViterbiSteps;

// The symbols of `message` (bits most significant first, then six zero bits): 0 for a sent 0,
// 255 for a sent 1, each symbol moved by noise of up to +-`noise`.
std::vector<SoftSymbol> Encode(const std::vector<std::uint8_t>& message, int noise, std::mt19937& random) {
    std::vector<SoftSymbol> symbols;
    unsigned state = 0;
    const auto soft = [&](int bit) {
        const int spread = noise == 0 ? 0 : static_cast<int>(random() % static_cast<unsigned>(2 * noise + 1)) - noise;
        const int value = (bit != 0 ? 255 : 0) + spread;
        return static_cast<SoftSymbol>(value < 0 ? 0 : value > 255 ? 255 : value);
    };
    const std::size_t bits = 8 * message.size() + 6;
    for (std::size_t b = 0; b < bits; ++b) {
        const unsigned bit = b < 8 * message.size() ? (message[b / 8] >> (7 - b % 8)) & 1U : 0U;
        const unsigned r = ((state << 1) | bit) & 127U;
        const int label = BranchLabel(r);
        symbols.push_back(soft(label >> 1));
        symbols.push_back(soft(label & 1));
        state = r & 63U;
    }
    return symbols;
}

std::vector<std::vector<SoftSymbol>> Inputs(std::mt19937& random) {
    std::vector<std::vector<SoftSymbol>> inputs;
    std::vector<std::uint8_t> message((kSteps - 6) / 8);
    for (const int noise : {0, 100, 180, 240}) {
        for (auto& byte : message) byte = static_cast<std::uint8_t>(random());
        inputs.push_back(Encode(message, noise, random));
    }
    std::vector<SoftSymbol> uniform(2 * kSteps);
    for (auto& s : uniform) s = static_cast<SoftSymbol>(random());
    inputs.push_back(uniform);
    for (const SoftSymbol v : {SoftSymbol{0}, SoftSymbol{127}, SoftSymbol{128}, SoftSymbol{255}})
        inputs.emplace_back(2 * kSteps, v);
    std::vector<SoftSymbol> few(2 * kSteps);
    for (auto& s : few) s = static_cast<SoftSymbol>((random() % 3) * 127);
    inputs.push_back(few);
    return inputs;
}

double MicrosecondsPerFrame(Kernel kernel, const std::vector<SoftSymbol>& symbols, int frames) {
    std::vector<DecisionWord> decisions(kSteps);
    std::array<std::int32_t, 64> metrics{};
    const auto start = std::chrono::steady_clock::now();
    for (int f = 0; f < frames; ++f) KernelFunction(kernel)(symbols.data(), kSteps, decisions.data(), metrics.data());
    return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count() / frames;
}

}  // namespace

int main() {
    std::mt19937 random(25);
    int failures = 0;
    const auto inputs = Inputs(random);
    for (std::size_t n = 0; n < inputs.size(); ++n) {
        std::vector<DecisionWord> expected(kSteps), actual(kSteps);
        std::array<std::int32_t, 64> expectedMetrics{}, actualMetrics{};
        AcsReference(inputs[n].data(), kSteps, expected.data(), expectedMetrics.data());
        AcsPortable(inputs[n].data(), kSteps, actual.data(), actualMetrics.data());
        if (expected != actual || expectedMetrics != actualMetrics) {
            std::printf("input %zu: the portable kernel differs from the reference\n", n);
            ++failures;
        }
    }
    // A message through the whole decoder with the portable kernel, with noise it corrects.
    std::vector<std::uint8_t> message((kSteps - 6) / 8);
    for (auto& byte : message) byte = static_cast<std::uint8_t>(random());
    const std::vector<SoftSymbol> symbols = Encode(message, 160, random);
    std::vector<std::uint8_t> decoded(message.size());
    if (ViterbiDecodeWith(Kernel::Portable, symbols, kSteps, decoded) != static_cast<int>(message.size()) ||
        decoded != message) {
        std::printf("the portable kernel did not decode the message\n");
        ++failures;
    }
    std::printf("portable %.1f us, reference %.1f us per %d-step frame\n", MicrosecondsPerFrame(Kernel::Portable, symbols, 200),
                MicrosecondsPerFrame(Kernel::Reference, symbols, 40), kSteps);
    std::printf("%s\n", failures == 0 ? "portable kernel: same decisions and metrics as the reference" : "FAILED");
    return failures == 0 ? 0 : 1;
}
