#include "pipeline/adc_reception.h"

#include "fec/fec_block.h"
#include "reception/data_directory.h"

namespace orv {

AdcReception::AdcReception(const StationState& station, AdcBlockFeed& feed, AdcReceptionHooks* hooks,
                           AdcSamplePath::Correlators correlators)
    : station_(station), feed_(feed), hooks_(hooks), path_(status_, *this, correlators) {}

std::filesystem::path AdcReception::FecLogDirectory() const {
    if (!logDirectory_.empty()) return logDirectory_;
    return TelemetryDirectory(station_.workingDataDirectory);
}

bool AdcReception::DecodeFecFrame(std::span<const SoftSymbol, kFecFrameSymbols> frame) {
    FecData data{};
    const bool decoded = orv::DecodeFecFrame(frame, status_, data);
    if (decoded) {
        KeepFecFrameFacts(data, logState_);
        const Block514 block = ReconstructFecBlock(data);
        feed_.FecBlock(block, data);
    }
    if (station_.settings.logFec) {
        const std::filesystem::path directory = FecLogDirectory();
        if (!AppendFecLogLine(directory, logState_, status_) && hooks_ != nullptr)
            hooks_->FecLogFailed(directory / FecLogFileName(logState_.dayCount));
    }
    return decoded;
}

Block514 AdcReception::RebuildDecodedElsewhere(std::span<const std::uint8_t, kFecDataBytes> data) {
    KeepFecFrameFacts(data, logState_);
    return ReconstructFecBlock(data);
}

void AdcReception::LogDecodedElsewhere() {
    if (!station_.settings.logFec) return;
    const std::filesystem::path directory = FecLogDirectory();
    if (!AppendFecLogLine(directory, logState_, nullptr) && hooks_ != nullptr)
        hooks_->FecLogFailed(directory / FecLogFileName(logState_.dayCount));
}

void AdcReception::DecodeFrame(std::span<const SoftSymbol, kFecFrameSymbols> frame) { DecodeFecFrame(frame); }

void AdcReception::RefreshStatistics() {
    if (hooks_ != nullptr) hooks_->RefreshAdcStatistics();
}

void AdcReception::ShowMeanRawValue(float mean) {
    if (hooks_ != nullptr) hooks_->ShowMeanRawValue(mean);
}

}  // namespace orv
