#include "files/replay.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "files/telemetry_number.h"

namespace orv {

bool AcceptsDroppedReplayFile(const std::filesystem::path& path) {
    std::string ext = path.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    return ext == ".tlm";
}

std::uint32_t StepBackFive(std::uint32_t current) { return current < 6 ? 1 : current - 5; }

std::uint32_t StepBackOne(std::uint32_t current) {
    const std::uint32_t n = current - 1;
    return n == 0 ? 1 : n;
}

std::uint32_t StepForward(std::uint32_t current, std::uint32_t count, std::uint32_t total) {
    const std::uint32_t n = current + count;
    return n > total ? total : n;
}

GoTarget GoToBlock(std::string_view fieldText, std::uint32_t total) {
    GoTarget target;
    const auto number = ParseBlockNumber(fieldText);
    if (!number) return target;  // not a number: block 1
    if (*number == 0 || *number > total) {
        // The field shows the block actually chosen.
        target.block = *number == 0 ? 1 : total;
        target.fieldText = std::to_string(target.block);
    } else {
        target.block = static_cast<std::uint32_t>(*number);
    }
    return target;
}

ReplaySession::LoadResult ReplaySession::Load(const std::filesystem::path& path) {
    LoadResult result;
    Close();
    std::string error;
    if (!image_.Open(path, error)) {
        result.message = kFileErrorText;
        result.detail = error;
        return result;
    }
    if (!image_.HasWholeLength()) result.message = kFileErrorText;
    total_ = static_cast<std::uint32_t>(std::min<std::uint64_t>(image_.BlockCount(), UINT32_MAX));
    current_ = 1;
    result.loaded = true;
    return result;
}

void ReplaySession::Close() {
    image_.Close();
    total_ = 0;
}

std::string ReplaySession::CounterText() const {
    return std::to_string(current_) + " / " + std::to_string(total_);
}

std::optional<std::string> ReplaySession::Go(std::string_view fieldText) {
    const GoTarget target = GoToBlock(fieldText, total_);
    current_ = target.block;
    return target.fieldText;
}

void ReplaySession::ShowReplayBlock(StationState& station, ReplayHooks& hooks) const {
    if (total_ == 0 || current_ == 0 || current_ > total_) return;
    hooks.ShowCounter(CounterText());
    const Record record = image_.RecordAt(current_ - 1);
    auto& stores = station.stores;
    std::memcpy(stores.current.data(), record.data(), kRecordBytes);
    std::memcpy(stores.display.data(), record.data(), kRecordBytes);
    const bool isE = IsStandard(record, 'E');
    const bool isA = IsStandard(record, 'A');
    if (isE) std::memcpy(stores.lastE.data(), record.data(), kRecordBytes);
    hooks.ShowTextBlock(std::span<const std::uint8_t, kTelemetryBytes>(stores.current.data(), kTelemetryBytes));
    hooks.UpdateMonitor();
    if (isE) hooks.EnableEvents();
    if (isA && !station.flags.eventsMode) {
        std::memcpy(stores.lastA.data(), record.data(), kRecordBytes);
        hooks.DispatchBlock();
    }
    if (isE && station.flags.eventsMode) hooks.DispatchBlock();
}

}  // namespace orv
