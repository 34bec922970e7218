#include "fec/adc_sample_path.h"

#include <algorithm>
#include <cmath>

#include "fec/fec_tables.h"

namespace orv {
namespace {

constexpr int kRingMask = static_cast<int>(kSampleRingSize) - 1;
constexpr int kBlockSyncTaps = 32;
constexpr int kBlockSyncK = 31;  // the gain is normalised to 31 although 32 taps are summed
constexpr int kFecSyncTaps = static_cast<int>(kFecRows);
constexpr int kFecSyncK = kFecSyncTaps;
constexpr int kFrame = static_cast<int>(kFecFrameSymbols);
constexpr int kZeroSquare = 128 * 128;  // square of an untouched ring slot (byte 0)

constexpr int Signed(SoftSymbol s) { return static_cast<int>(s) - 128; }

// Pattern bits as +1 / -1, in tap order (oldest tap first).
struct Patterns {
    std::array<int, kBlockSyncTaps> block{};
    std::array<int, kFecSyncTaps> fec{};
};

const Patterns& SyncPatterns() {
    static const Patterns p = [] {
        Patterns t;
        for (int i = 0; i < kBlockSyncTaps; ++i) t.block[static_cast<std::size_t>(i)] = ((kBlockSyncWord >> (31 - i)) & 1U) != 0 ? 1 : -1;
        const auto& sync = SyncVector();
        for (int i = 0; i < kFecSyncTaps; ++i) t.fec[static_cast<std::size_t>(i)] = sync[static_cast<std::size_t>(i)] != 0 ? 1 : -1;
        return t;
    }();
    return p;
}

// The correlation tap by tap from the ring: taps at first, first + step, ... (modulo the ring),
// the energy summed in float from 1.
float RingGain(const SampleRing& ring, int first, int step, const int* pattern, int taps, int k) {
    float energy = 1.0F;
    int correlation = 0;
    for (int i = 0; i < taps; ++i) {
        const int f = Signed(ring[static_cast<std::size_t>((first + step * i) & kRingMask)]);
        energy += static_cast<float>(f * f);
        correlation += pattern[i] * f;
    }
    return NormalisedGain(correlation, energy, k);
}

// Correlation of contiguous taps; a plain loop the compiler vectorises.
template <int Taps>
int Correlate(const SoftSymbol* taps, const std::array<int, Taps>& pattern) {
    int sum = 0;
    for (int i = 0; i < Taps; ++i) sum += pattern[static_cast<std::size_t>(i)] * Signed(taps[i]);
    return sum;
}

}  // namespace

float NormalisedGain(int correlation, float energy, int k) {
    return static_cast<float>(static_cast<double>(correlation) / std::sqrt(static_cast<double>(energy) / k));
}

AdcSamplePath::AdcSamplePath(FecStatus& status, AdcPathCallouts& out, Correlators correlators)
    : status_(status), out_(out), fast_(correlators == Correlators::Fast) {
    windowSquares_ = kBlockSyncTaps * kZeroSquare;
    columnSquares_.fill(kFecSyncTaps * kZeroSquare);
}

void AdcSamplePath::ProcessAdcBytes(std::span<const std::uint8_t> bytes) {
    for (std::uint8_t x : bytes) ProcessSample(x);
}

AdcSamplePath::Sync AdcSamplePath::Match(float threshold) const {
    if (status_.syncGain > threshold) return Sync::Upright;
    if (acceptInverted_ && status_.syncGain <= -threshold) return Sync::Inverted;
    return Sync::None;
}

AdcSamplePath::Sync AdcSamplePath::BlockSyncFires() {
    if (fast_) {
        const int correlation = Correlate<kBlockSyncTaps>(window_.data() + windowAt_ + 1, SyncPatterns().block);
        // The energy is an integer below 2^24, so the float sum from 1 is exact.
        status_.syncGain = NormalisedGain(correlation, 1.0F + static_cast<float>(windowSquares_), kBlockSyncK);
    } else {
        status_.syncGain = RingGain(ring_, ringIndex_ - (kBlockSyncTaps - 1), 1, SyncPatterns().block.data(),
                                    kBlockSyncTaps, kBlockSyncK);
    }
    return Match(kBlockSyncThreshold);
}

AdcSamplePath::Sync AdcSamplePath::FecSyncFires() {
    if (fast_) {
        const auto p = static_cast<std::size_t>(phase_);
        const int correlation = Correlate<kFecSyncTaps>(column_[p].data() + columnAt_[p], SyncPatterns().fec);
        status_.syncGain = NormalisedGain(correlation, 1.0F + static_cast<float>(columnSquares_[p]), kFecSyncK);
    } else {
        status_.syncGain = RingGain(ring_, ringIndex_ - kFrame, static_cast<int>(kFecColumns), SyncPatterns().fec.data(),
                                    kFecSyncTaps, kFecSyncK);
    }
    return Match(kFecSyncThreshold);
}

void AdcSamplePath::TrackSymbol(SoftSymbol symbol) {
    const int at = (windowAt_ + 1) & (kBlockSyncTaps - 1);
    const int old = Signed(window_[static_cast<std::size_t>(at)]);
    const int f = Signed(symbol);
    window_[static_cast<std::size_t>(at)] = symbol;
    window_[static_cast<std::size_t>(at + kBlockSyncTaps)] = symbol;
    windowAt_ = at;
    windowSquares_ += f * f - old * old;
}

void AdcSamplePath::TrackFecColumn(SoftSymbol symbol) {
    const auto p = static_cast<std::size_t>(phase_);
    const int at = columnAt_[p];
    const int old = Signed(column_[p][static_cast<std::size_t>(at)]);
    const int f = Signed(symbol);
    column_[p][static_cast<std::size_t>(at)] = symbol;
    column_[p][static_cast<std::size_t>(at + kFecSyncTaps)] = symbol;
    columnAt_[p] = at + 1 == kFecSyncTaps ? 0 : at + 1;
    columnSquares_[p] += f * f - old * old;
    phase_ = phase_ + 1 == static_cast<int>(kFecColumns) ? 0 : phase_ + 1;
}

void AdcSamplePath::ProcessSample(std::uint8_t x) {
    // Calibration: running mean of the raw bytes.
    if (calibrating_) {
        calibrationMean_ = calibrationMean_ + (static_cast<float>(x) - calibrationMean_) / static_cast<float>(calibrationDivisor_);
        if (++calibrationCounter_ >= kCalibrationDisplayInterval) {
            calibrationCounter_ = 0;
            out_.ShowMeanRawValue(calibrationMean_);
        }
    }
    // Scale and differential detection: a phase reversal gives a positive value (bit 1).
    const float c = (static_cast<float>(x) - 128.0F) * 1.5F;
    const auto d = static_cast<int>(-c * previous_);  // exact: a multiple of 0.25 below 2^16
    const int v = std::clamp(d >> 7, -128, 127);      // arithmetic shift: floor(d / 128)
    previous_ = c;
    // Into the ring, as a soft symbol.
    const auto symbol = static_cast<SoftSymbol>(v + 128);
    ring_[static_cast<std::size_t>(ringIndex_)] = symbol;
    if (fast_) TrackSymbol(symbol);

    // Capture an uncoded block, or look for the block sync word.
    if (capturing_) {
        capture_[static_cast<std::size_t>(captureCount_)] = symbol;
        statisticsCounter_ = 0;
        ++captureCount_;
        if (captureCount_ % 8 == 0) {
            unsigned byte = 0;
            for (int i = captureCount_ - 8; i < captureCount_; ++i) byte = (byte << 1) | (HardBit(capture_[static_cast<std::size_t>(i)]) ? 1U : 0U);
            if (captureInverted_) byte = ~byte;
            out_.ReceiveByte(static_cast<std::uint8_t>(byte));
        }
        if (captureCount_ == kUncodedBlockSymbols) capturing_ = false;
    } else {
        const Sync fired = BlockSyncFires();
        captureCount_ = 0;
        if (fired != Sync::None) {
            // The block starts with the next sample; without a restart here the receiver's pause
            // rule would never see a gap between blocks that follow each other on the air.
            capturing_ = true;
            captureInverted_ = fired == Sync::Inverted;
            out_.RestartAtSync();
        }
    }
    // The FEC sync vector is looked for only outside an uncoded block.
    if (!capturing_) fecFound_ = FecSyncFires();
    if (fast_) TrackFecColumn(symbol);
    // Hand the frame that ended with the previous sample to the decoder.
    if (fecFound_ != Sync::None) {
        // An inverted frame is handed over inverted back: 255 - s flips the hard decision of every
        // symbol and mirrors its confidence.
        const std::uint8_t flip = fecFound_ == Sync::Inverted ? 0xFF : 0x00;
        for (int i = 0; i < kFrame; ++i)
            capture_[static_cast<std::size_t>(i)] = ring_[static_cast<std::size_t>((ringIndex_ - kFrame + i) & kRingMask)] ^ flip;
        out_.DecodeFrame(capture_);
        fecFound_ = Sync::None;
    }
    ringIndex_ = (ringIndex_ + 1) & kRingMask;
    // A long stretch without a block: the statistics are refreshed over the ring.
    if (statisticsCounter_++ == kStatisticsInterval - 1) {
        out_.RefreshStatistics();
        statisticsCounter_ = 0;
    }
}

}  // namespace orv
