#pragma once
// ADC reception of one station: the sample path wired to the station's block receiver, the FEC
// decoder's status record, the block reconstruction and the FEC log.
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

#include "fec/adc_sample_path.h"
#include "fec/fec_codec.h"
#include "fec/fec_log.h"
#include "reception/receiver.h"

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

class AdcReception final : private AdcPathCallouts {
public:
    // The FEC log follows the station's "Log FEC" setting and goes to the "telemetry"
    // subdirectory of its data directory unless SetFecLogDirectory names another.
    AdcReception(BlockReceiver& receiver, AdcReceptionHooks* hooks = nullptr,
                 AdcSamplePath::Correlators correlators = AdcSamplePath::Correlators::Fast);

    // The serial port's bytes in ADC mode.
    void ProcessAdcBytes(std::span<const std::uint8_t> bytes) { path_.ProcessAdcBytes(bytes); }

    // Decodes one FEC frame: fills the status; when both codewords decode, hands the rebuilt block
    // to the receiver; then, with "Log FEC" on, appends the log line. Returns whether it decoded.
    bool DecodeFecFrame(std::span<const SoftSymbol, kFecFrameSymbols> frame);

    void SetFecLogDirectory(std::filesystem::path directory) { logDirectory_ = std::move(directory); }
    std::filesystem::path FecLogDirectory() const;

    const FecStatus& Status() const { return status_; }
    const FecLogState& LogState() const { return logState_; }
    AdcSamplePath& Path() { return path_; }
    const AdcSamplePath& Path() const { return path_; }

private:
    void RestartAtSync() override;
    void ReceiveByte(std::uint8_t byte) override;
    void DecodeFrame(std::span<const SoftSymbol, kFecFrameSymbols> frame) override;
    void RefreshStatistics() override;
    void ShowMeanRawValue(float mean) override;

    BlockReceiver& receiver_;
    AdcReceptionHooks* hooks_;
    FecStatus status_;
    FecLogState logState_;
    std::filesystem::path logDirectory_;
    AdcSamplePath path_;
};

}  // namespace orv
