#pragma once
// A seeded random source that gives the same sequence on every platform (the standard library's
// distributions do not), so one seed always yields one stream. xoshiro256** seeded by SplitMix64.
#include <cstdint>

namespace orv::sim {

class SimRandom {
public:
    explicit SimRandom(std::uint64_t seed) {
        for (auto& s : state_) {
            seed += 0x9E3779B97F4A7C15ULL;
            std::uint64_t z = seed;
            z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
            z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
            s = z ^ (z >> 31);
        }
    }

    std::uint64_t Next() {
        const std::uint64_t result = Rotl(state_[1] * 5, 7) * 9;
        const std::uint64_t t = state_[1] << 17;
        state_[2] ^= state_[0];
        state_[3] ^= state_[1];
        state_[1] ^= state_[2];
        state_[0] ^= state_[3];
        state_[2] ^= t;
        state_[3] = Rotl(state_[3], 45);
        return result;
    }

    // 0 .. n - 1 (n > 0); the tiny modulo bias is irrelevant here.
    std::uint32_t Below(std::uint32_t n) { return static_cast<std::uint32_t>(Next() % n); }
    // Uniform in [0, 1).
    double Unit() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }
    // Uniform in [lo, hi).
    double Between(double lo, double hi) { return lo + (hi - lo) * Unit(); }
    // True with probability p.
    bool Chance(double p) { return Unit() < p; }

private:
    static std::uint64_t Rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
    std::uint64_t state_[4]{};
};

// An independent seed for one part of the simulation, derived from the stream seed and a tag.
inline std::uint64_t SubSeed(std::uint64_t seed, std::uint64_t tag) {
    return SimRandom(seed ^ (tag * 0xD6E8FEB86659FD93ULL)).Next();
}

}  // namespace orv::sim
