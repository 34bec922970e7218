// Vector kernels of the Viterbi add-compare-select stage for x86 processors with AVX2 or
// AVX-512. Each function carries its own target attribute, so the file builds for any x86 and the
// kernels run only where the processor has the instructions (see BestKernel).
#include "fec/viterbi_kernels.h"

#if defined(__x86_64__) || defined(__i386__)

// GCC 12 takes the undefined source operand inside some AVX-512 intrinsics for an uninitialised value.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <immintrin.h>

#include <array>

#include "fec/fec_tables.h"

namespace orv::viterbi {
namespace {

constexpr std::int32_t kUnreachable = -999999;

// For soft symbol s, the metric rows laid out so that first[s0] + second[s1] gives the four
// branch metrics M[0..3] (M[h] = row (h >> 1) at s0 + row (h & 1) at s1), repeated over 16 lanes.
struct PairTables {
    alignas(64) std::array<std::array<std::int32_t, 16>, 256> first{};
    alignas(64) std::array<std::array<std::int32_t, 16>, 256> second{};
};

const PairTables& Pairs() {
    static const PairTables tables = [] {
        PairTables t;
        const auto& m = ViterbiMetricTable();
        for (std::size_t s = 0; s < 256; ++s) {
            for (std::size_t lane = 0; lane < 16; ++lane) {
                const std::size_t h = lane & 3;
                t.first[s][lane] = m[h >> 1][s];
                t.second[s][lane] = m[h & 1][s];
            }
        }
        return t;
    }();
    return tables;
}

// The butterfly labels as 32-bit lanes: lower[j] = h(2j), upper[j] = h(2j) XOR 3.
struct ButterflyLabels {
    alignas(64) std::array<std::int32_t, 32> lower{};
    alignas(64) std::array<std::int32_t, 32> upper{};
};

const ButterflyLabels& Labels() {
    static const ButterflyLabels labels = [] {
        ButterflyLabels l;
        for (std::size_t j = 0; j < 32; ++j) {
            l.lower[j] = kButterflyLabels[j];
            l.upper[j] = kButterflyLabels[j] ^ 3;
        }
        return l;
    }();
    return labels;
}

}  // namespace

// 64 metrics in eight vectors: lo[q] holds states 8q..8q+7, hi[q] states 32+8q..32+8q+7. Quarter q
// of the butterflies yields the new states 16q..16q+15, even and odd interleaved back in order.
__attribute__((target("avx2"))) void AcsAvx2(const SoftSymbol* symbols, int steps, DecisionWord* decisions,
                                             std::int32_t* finalMetrics) {
    const PairTables& pairs = Pairs();
    const ButterflyLabels& labels = Labels();
    __m256i lowerIdx[4];
    __m256i upperIdx[4];
    __m256i lo[4];
    __m256i hi[4];
    for (int q = 0; q < 4; ++q) {
        lowerIdx[q] = _mm256_load_si256(reinterpret_cast<const __m256i*>(labels.lower.data() + 8 * q));
        upperIdx[q] = _mm256_load_si256(reinterpret_cast<const __m256i*>(labels.upper.data() + 8 * q));
        lo[q] = _mm256_set1_epi32(kUnreachable);
        hi[q] = _mm256_set1_epi32(kUnreachable);
    }
    lo[0] = _mm256_insert_epi32(lo[0], 0, 0);

    for (int k = 0; k < steps; ++k) {
        const __m256i branch =
            _mm256_add_epi32(_mm256_load_si256(reinterpret_cast<const __m256i*>(pairs.first[symbols[2 * k]].data())),
                             _mm256_load_si256(reinterpret_cast<const __m256i*>(pairs.second[symbols[2 * k + 1]].data())));
        __m256i next[8];
        std::uint32_t evenMask = 0;
        std::uint32_t oddMask = 0;
        for (int q = 0; q < 4; ++q) {
            const __m256i bmLower = _mm256_permutevar8x32_epi32(branch, lowerIdx[q]);
            const __m256i bmUpper = _mm256_permutevar8x32_epi32(branch, upperIdx[q]);
            const __m256i evenFromLow = _mm256_add_epi32(lo[q], bmLower);
            const __m256i evenFromHigh = _mm256_add_epi32(hi[q], bmUpper);
            const __m256i oddFromLow = _mm256_add_epi32(lo[q], bmUpper);
            const __m256i oddFromHigh = _mm256_add_epi32(hi[q], bmLower);
            const __m256i even = _mm256_max_epi32(evenFromLow, evenFromHigh);
            const __m256i odd = _mm256_max_epi32(oddFromLow, oddFromHigh);
            // Decision 1 only when the upper predecessor is strictly better.
            evenMask |= static_cast<std::uint32_t>(
                            _mm256_movemask_ps(_mm256_castsi256_ps(_mm256_cmpgt_epi32(evenFromHigh, evenFromLow))))
                        << (8 * q);
            oddMask |= static_cast<std::uint32_t>(
                           _mm256_movemask_ps(_mm256_castsi256_ps(_mm256_cmpgt_epi32(oddFromHigh, oddFromLow))))
                       << (8 * q);
            const __m256i t0 = _mm256_unpacklo_epi32(even, odd);
            const __m256i t1 = _mm256_unpackhi_epi32(even, odd);
            next[2 * q] = _mm256_permute2x128_si256(t0, t1, 0x20);
            next[2 * q + 1] = _mm256_permute2x128_si256(t0, t1, 0x31);
        }
        decisions[k] = evenMask | (static_cast<DecisionWord>(oddMask) << 32);
        for (int q = 0; q < 4; ++q) {
            lo[q] = next[q];
            hi[q] = next[q + 4];
        }
    }
    for (int q = 0; q < 4; ++q) {
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(finalMetrics + 8 * q), lo[q]);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(finalMetrics + 32 + 8 * q), hi[q]);
    }
}

// The same with 16 lanes: lo[h] holds states 16h..16h+15, hi[h] states 32+16h..32+16h+15; half h
// of the butterflies yields the new states 32h..32h+31.
__attribute__((target("avx512f"))) void AcsAvx512(const SoftSymbol* symbols, int steps, DecisionWord* decisions,
                                                  std::int32_t* finalMetrics) {
    const PairTables& pairs = Pairs();
    const ButterflyLabels& labels = Labels();
    __m512i lowerIdx[2];
    __m512i upperIdx[2];
    __m512i lo[2];
    __m512i hi[2];
    for (int h = 0; h < 2; ++h) {
        lowerIdx[h] = _mm512_load_si512(labels.lower.data() + 16 * h);
        upperIdx[h] = _mm512_load_si512(labels.upper.data() + 16 * h);
        lo[h] = _mm512_set1_epi32(kUnreachable);
        hi[h] = _mm512_set1_epi32(kUnreachable);
    }
    lo[0] = _mm512_mask_mov_epi32(lo[0], 1, _mm512_setzero_si512());
    const __m512i interleaveLow = _mm512_setr_epi32(0, 16, 1, 17, 2, 18, 3, 19, 4, 20, 5, 21, 6, 22, 7, 23);
    const __m512i interleaveHigh = _mm512_setr_epi32(8, 24, 9, 25, 10, 26, 11, 27, 12, 28, 13, 29, 14, 30, 15, 31);

    for (int k = 0; k < steps; ++k) {
        const __m512i branch = _mm512_add_epi32(_mm512_load_si512(pairs.first[symbols[2 * k]].data()),
                                                _mm512_load_si512(pairs.second[symbols[2 * k + 1]].data()));
        __m512i next[4];
        std::uint32_t evenMask = 0;
        std::uint32_t oddMask = 0;
        for (int h = 0; h < 2; ++h) {
            const __m512i bmLower = _mm512_permutexvar_epi32(lowerIdx[h], branch);
            const __m512i bmUpper = _mm512_permutexvar_epi32(upperIdx[h], branch);
            const __m512i evenFromLow = _mm512_add_epi32(lo[h], bmLower);
            const __m512i evenFromHigh = _mm512_add_epi32(hi[h], bmUpper);
            const __m512i oddFromLow = _mm512_add_epi32(lo[h], bmUpper);
            const __m512i oddFromHigh = _mm512_add_epi32(hi[h], bmLower);
            const __m512i even = _mm512_max_epi32(evenFromLow, evenFromHigh);
            const __m512i odd = _mm512_max_epi32(oddFromLow, oddFromHigh);
            evenMask |= static_cast<std::uint32_t>(_mm512_cmpgt_epi32_mask(evenFromHigh, evenFromLow)) << (16 * h);
            oddMask |= static_cast<std::uint32_t>(_mm512_cmpgt_epi32_mask(oddFromHigh, oddFromLow)) << (16 * h);
            next[2 * h] = _mm512_permutex2var_epi32(even, interleaveLow, odd);
            next[2 * h + 1] = _mm512_permutex2var_epi32(even, interleaveHigh, odd);
        }
        decisions[k] = evenMask | (static_cast<DecisionWord>(oddMask) << 32);
        lo[0] = next[0];
        lo[1] = next[1];
        hi[0] = next[2];
        hi[1] = next[3];
    }
    for (int h = 0; h < 2; ++h) {
        _mm512_storeu_si512(finalMetrics + 16 * h, lo[h]);
        _mm512_storeu_si512(finalMetrics + 32 + 16 * h, hi[h]);
    }
}

}  // namespace orv::viterbi

#endif
