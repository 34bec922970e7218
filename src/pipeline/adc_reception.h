#pragma once
// ADC reception: the sample path watching the ADC samples for the block sync word and the FEC
// sync vector, the FEC decoder's status record, the block reconstruction and the FEC log. What it
// finds goes to the reception pipeline: the bytes of uncoded blocks, and blocks rebuilt from FEC
// frames with their decoded data.
#include <cstdint>
#include <filesystem>
#include <span>

#include "fec/adc_sample_path.h"
#include "fec/fec_codec.h"
#include "fec/fec_log.h"
#include "reception/block.h"
#include "reception/received_block.h"
#include "reception/station_state.h"

namespace orv {

// What the ADC analysis window and the operator's messages need; every method may be left out.
class AdcReceptionHooks {
public:
    virtual ~AdcReceptionHooks() = default;
    // 5400 samples without block capture: rebuild the histogram over the ring.
    virtual void RefreshAdcStatistics() {}
    // The calibration mean, every 400 samples while calibrating.
    virtual void ShowMeanRawValue(float mean) {}
    // A line could not be appended to the FEC log at `path`; the line is lost.
    virtual void FecLogFailed(const std::filesystem::path& path) {}
};

// Where ADC reception delivers blocks: the reception pipeline.
class AdcBlockFeed {
public:
    virtual ~AdcBlockFeed() = default;
    // The block sync word was found: the next bytes start a new block.
    virtual void RestartAtSync() = 0;
    // One byte of an uncoded block.
    virtual void UncodedByte(std::uint8_t byte) = 0;
    // A block rebuilt from a decoded FEC frame, with the frame's data bytes.
    virtual void FecBlock(std::span<const std::uint8_t, kFullBlockBytes> block,
                          std::span<const std::uint8_t, kFecDataBytes> data) = 0;
};

class AdcReception final : private AdcPathCallouts {
public:
    // The FEC log follows the station's "Log FEC" setting and goes to the "telemetry"
    // subdirectory of its data directory unless SetFecLogDirectory names another.
    AdcReception(const StationState& station, AdcBlockFeed& feed, AdcReceptionHooks* hooks = nullptr,
                 AdcSamplePath::Correlators correlators = AdcSamplePath::Correlators::Fast);

    // ADC sample bytes, one per channel symbol, in order.
    void ProcessAdcBytes(std::span<const std::uint8_t> bytes) { path_.ProcessAdcBytes(bytes); }

    // Decodes one FEC frame: fills the status; when both codewords decode, hands the rebuilt block
    // on; then, with "Log FEC" on, appends the log line. Returns whether it decoded.
    bool DecodeFecFrame(std::span<const SoftSymbol, kFecFrameSymbols> frame);

    // The data bytes of a frame another decoder decoded: the rebuilt block, with the frame's day,
    // time and MA kept for the log. LogDecodedElsewhere then appends its log line (with "Log FEC"
    // on): ID, time and MA, and blanks for the figures only this station's decoder measures.
    Block514 RebuildDecodedElsewhere(std::span<const std::uint8_t, kFecDataBytes> data);
    void LogDecodedElsewhere();

    // Who refreshes the statistics, shows the calibration mean and hears of FEC log failures.
    void SetHooks(AdcReceptionHooks* hooks) { hooks_ = hooks; }

    void SetFecLogDirectory(std::filesystem::path directory) { logDirectory_ = std::move(directory); }
    std::filesystem::path FecLogDirectory() const;

    const FecStatus& Status() const { return status_; }
    const FecLogState& LogState() const { return logState_; }
    AdcSamplePath& Path() { return path_; }
    const AdcSamplePath& Path() const { return path_; }

private:
    void RestartAtSync() override { feed_.RestartAtSync(); }
    void ReceiveByte(std::uint8_t byte) override { feed_.UncodedByte(byte); }
    void DecodeFrame(std::span<const SoftSymbol, kFecFrameSymbols> frame) override;
    void RefreshStatistics() override;
    void ShowMeanRawValue(float mean) override;

    const StationState& station_;
    AdcBlockFeed& feed_;
    AdcReceptionHooks* hooks_;
    FecStatus status_;
    FecLogState logState_;
    std::filesystem::path logDirectory_;
    AdcSamplePath path_;
};

}  // namespace orv
