#pragma once
// The ADC sample path: one raw sample byte per channel symbol (400 per second) turned into soft
// symbols by differential detection, kept in a ring and watched by two correlators at once: the
// 32-bit block sync word before an uncoded 514-byte block, and the 65-bit sync vector spread
// over an FEC frame.
#include <array>
#include <cstdint>
#include <span>

#include "fec/fec_codec.h"
#include "fec/soft_symbol.h"

namespace orv {

inline constexpr std::uint32_t kBlockSyncWord = 0x3915ED30;  // sent most significant bit first
inline constexpr float kFecSyncThreshold = 41.0F;
inline constexpr float kBlockSyncThreshold = 27.0F;
inline constexpr std::size_t kSampleRingSize = 8192;
inline constexpr int kUncodedBlockSymbols = 4112;           // 514 bytes x 8
inline constexpr int kStatisticsInterval = 5400;            // samples between statistics refreshes
inline constexpr int kCalibrationDisplayInterval = 400;     // samples between mean label updates

using SampleRing = std::array<SoftSymbol, kSampleRingSize>;

// Where the path delivers what it finds. All calls come from inside ProcessAdcBytes.
class AdcPathCallouts {
public:
    virtual ~AdcPathCallouts() = default;
    // The block sync word was found: the next bytes start a new block.
    virtual void RestartAtSync() = 0;
    // One byte of an uncoded block, every 8 samples while capturing.
    virtual void ReceiveByte(std::uint8_t byte) = 0;
    // The sync vector was found: the 5200 symbols ending just before the current sample.
    virtual void DecodeFrame(std::span<const SoftSymbol, kFecFrameSymbols> frame) = 0;
    // 5400 samples went by without block capture: refresh the symbol statistics over the ring.
    virtual void RefreshStatistics() {}
    // The running mean of the raw bytes, every 400 samples while calibrating.
    virtual void ShowMeanRawValue(float mean) {}
};

// Normalised correlation of N taps with correlation sum C and energy E = 1 + sum of squares:
// C / sqrt(E / K) as a 32-bit float.
float NormalisedGain(int correlation, float energy, int k);

class AdcSamplePath {
public:
    // Reference computes both correlators tap by tap from the ring; Fast keeps the taps of each
    // correlator contiguous and their sums of squares running, with the same results.
    enum class Correlators { Reference, Fast };

    // `status` receives the sync gain of every correlation (its syncGain field).
    AdcSamplePath(FecStatus& status, AdcPathCallouts& out, Correlators correlators = Correlators::Fast);

    // Processes the bytes just read, one sample each, in order.
    void ProcessAdcBytes(std::span<const std::uint8_t> bytes);

    // Calibration aid: the running mean of the raw bytes with time constant `divisor` samples
    // (400, 4000 or 40000).
    void SetCalibrating(bool on) { calibrating_ = on; }
    void SetCalibrationDivisor(int divisor) { calibrationDivisor_ = divisor > 0 ? divisor : 1; }
    float CalibrationMean() const { return calibrationMean_; }

    // Also take a correlation at or below the negative threshold as a sync, and decode what follows
    // it with every symbol inverted: senders whose data comes out inverted after the differential
    // detection (the software audio demodulator meets them). Off by default, as with the DSP-93.
    void SetAcceptInverted(bool on) { acceptInverted_ = on; }
    bool AcceptInverted() const { return acceptInverted_; }

    // The block dispatch refreshed the statistics after a block.
    void ResetStatisticsCounter() { statisticsCounter_ = 0; }

    const SampleRing& Ring() const { return ring_; }
    int RingIndex() const { return ringIndex_; }
    bool Capturing() const { return capturing_; }

private:
    // How a correlator fired.
    enum class Sync { None, Upright, Inverted };

    void ProcessSample(std::uint8_t x);
    Sync Match(float threshold) const;
    Sync BlockSyncFires();
    Sync FecSyncFires();
    void TrackSymbol(SoftSymbol symbol);
    void TrackFecColumn(SoftSymbol symbol);

    FecStatus& status_;
    AdcPathCallouts& out_;
    const bool fast_;

    SampleRing ring_{};
    int ringIndex_ = 0;
    float previous_ = 0.0F;
    std::array<SoftSymbol, kFecFrameSymbols> capture_{};
    int captureCount_ = 0;
    bool capturing_ = false;
    bool captureInverted_ = false;  // the block being captured was found by an inverted sync
    Sync fecFound_ = Sync::None;
    bool acceptInverted_ = false;
    int statisticsCounter_ = 0;
    bool calibrating_ = false;
    float calibrationMean_ = 0.0F;
    int calibrationCounter_ = 0;
    int calibrationDivisor_ = 400;

    // Fast correlators. The last 32 symbols, twice over so that they are always contiguous
    // (window_[windowAt_ + 1 .. windowAt_ + 32], oldest first), and their sum of squares.
    std::array<SoftSymbol, 64> window_{};
    int windowAt_ = 31;
    int windowSquares_ = 0;
    // The FEC taps of each phase (sample count mod 80): the last 65 symbols of the phase, twice
    // over (column_[phase][columnAt_[phase] .. + 64], oldest first), and their sum of squares.
    std::array<std::array<SoftSymbol, 2 * kFecRows>, kFecColumns> column_{};
    std::array<int, kFecColumns> columnAt_{};
    std::array<int, kFecColumns> columnSquares_{};
    int phase_ = 0;
};

}  // namespace orv
