#pragma once
// Frames and data for the FEC tests.
#include <array>
#include <cstdint>
#include <random>
#include <vector>

#include "fec/fec_codec.h"

namespace orv::test {

// How many different frames the benchmarks cycle through.
inline constexpr std::uint32_t kVariedFrames = 64;

inline FecData RandomData(std::uint32_t seed) {
    std::mt19937 random(seed);
    FecData data{};
    for (auto& b : data) b = static_cast<std::uint8_t>(random());
    return data;
}

// Hard symbols 0/1 as the surest soft symbols 0/255.
inline FecFrame SoftFrame(const std::array<std::uint8_t, kFecFrameSymbols>& hard, SoftSymbol zero = 0, SoftSymbol one = 255) {
    FecFrame soft{};
    for (std::size_t i = 0; i < hard.size(); ++i) soft[i] = hard[i] != 0 ? one : zero;
    return soft;
}

inline FecFrame EncodeSoft(const FecData& data) {
    std::array<std::uint8_t, kFecFrameSymbols> hard{};
    FecEncodeFrame(data, hard);
    return SoftFrame(hard);
}

// The frame with Gaussian noise of deviation sigma around soft values 64 and 192.
inline FecFrame NoisyFrame(const FecData& data, double sigma, std::uint32_t seed) {
    std::array<std::uint8_t, kFecFrameSymbols> hard{};
    FecEncodeFrame(data, hard);
    std::mt19937 random(seed);
    std::normal_distribution<double> noise(0.0, sigma);
    FecFrame soft{};
    for (std::size_t i = 0; i < hard.size(); ++i) {
        const double v = (hard[i] != 0 ? 192.0 : 64.0) + noise(random);
        soft[i] = static_cast<SoftSymbol>(v < 0 ? 0 : v > 255 ? 255 : v);
    }
    return soft;
}

// The benchmarks' frames: kVariedFrames frames received with about 1.6 % symbol errors (deviation
// 30 around 64 / 192), each with its own data and noise, so that no branch predictor learns one
// frame's decisions.
inline const std::vector<FecFrame>& VariedNoisyFrames() {
    static const std::vector<FecFrame> frames = [] {
        std::vector<FecFrame> f;
        for (std::uint32_t seed = 1; seed <= kVariedFrames; ++seed) f.push_back(NoisyFrame(RandomData(seed), 30.0, 1000 + seed));
        return f;
    }();
    return frames;
}

}  // namespace orv::test
