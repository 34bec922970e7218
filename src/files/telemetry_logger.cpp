#include "files/telemetry_logger.h"

#include <cstdio>

#include "files/log_file.h"
#include "reception/data_directory.h"
#include "reception/dates.h"

namespace orv {

std::string LogFileName(bool aOnly, bool useCrcc, int year, int month, int day) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%s%02d%02d%02d%s", aOnly ? "A" : "T", ((year % 100) + 100) % 100, month, day,
                  useCrcc ? ".tlm" : ".raw");
    return buf;
}

TelemetryLogger::TelemetryLogger(const StationState& station, const Clock& clock)
    : station_(station), clock_(clock), grid_(station.settings.eventBufferSize) {}

bool TelemetryLogger::Qualifies(const ReceivedBlock& block) const {
    const bool crccAccepted = block.verdict != CrccVerdict::Fail || !useCrcc_;
    const bool kindAccepted = IsStandard(block.record, 'A') || !aOnly_;
    return crccAccepted && kindAccepted;
}

void TelemetryLogger::TakeBlock(const ReceivedBlock& block) {
    if (!logging_ || !Qualifies(block)) return;
    if (IsStandard(block.record, 'E')) eventNumber_ = orv::EventNumber(block.record);
    const Block512 record = StampedRecord(block);
    const LogAppendResult result = AppendBlockToLog(Record(record.data(), kRecordBytes));
    if (onAppend_) onAppend_(result);
}

void TelemetryLogger::LogAllBlocks() {
    aOnly_ = false;
    UpdateLogFileName();
}

void TelemetryLogger::LogABlocksOnly() {
    aOnly_ = true;
    UpdateLogFileName();
}

void TelemetryLogger::IgnoreCrcc() {
    useCrcc_ = false;
    UpdateLogFileName();
}

void TelemetryLogger::UseCrcc() {
    useCrcc_ = true;
    UpdateLogFileName();
}

std::string TelemetryLogger::UpdateLogFileName() {
    const DateTime utc = ReadClock(clock_, station_.settings.utcRule, true);
    fileName_ = LogFileName(aOnly_, useCrcc_, utc.year, utc.month, utc.day);
    logPath_ = TelemetryDirectory(station_.workingDataDirectory) / fileName_;
    return fileName_;
}

void TelemetryLogger::FollowDataDirectory() {
    if (!fileName_.empty()) logPath_ = TelemetryDirectory(station_.workingDataDirectory) / fileName_;
}

void TelemetryLogger::StartLogging() {
    UpdateLogFileName();
    countText_ = "---";
    lostBlocks_ = 0;
    losses_ = NewLossReport();
    lastNotice_.clear();
    recovered_ = false;
    logging_ = !fileName_.empty();
}

void TelemetryLogger::StopLogging() { logging_ = false; }

LogAppendResult TelemetryLogger::AppendBlockToLog(Record record) {
    LogAppendResult result;
    if (followDate_) {
        const std::string before = fileName_;
        UpdateLogFileName();
        result.newFile = fileName_ != before;
    }
    const AppendOutcome out = AppendRecordToFile(logPath_, record, sync_);
    countText_ = std::to_string(BlockCountOfLength(out.fileLength));
    result.countText = countText_;
    result.written = out.written;
    if (!out.written) {
        ++lostBlocks_;
        result.error = out.error;
        result.lossLine = losses_.Lost(clock_.Now(), out.error);
        return result;
    }
    result.lossLine = losses_.Written();
    if (!result.lossLine.empty()) {
        const std::uint64_t n = losses_.LostInEpisode();
        lastNotice_ = "Writing again; " + std::to_string(n) + (n == 1 ? " block was" : " blocks were") + " not logged";
        recovered_ = true;
    }
    if (out.strayBytes != 0) {
        lastNotice_ = "a partial record of " + std::to_string(out.strayBytes) + " bytes was cut from the end of " +
                      fileName_;
        recovered_ = false;
        result.notice = lastNotice_;
    }
    // Only a block that is in the file marks its slot as captured.
    if (IsStandard(record, 'E')) {
        grid_.RecordEventBlock(station_.flags.crccStatus, station_.receiver.eventPointer,
                               eventNumber_);
        result.eventGridChanged = true;
    }
    return result;
}

std::string TelemetryLogger::FailureText() const {
    if (!losses_.Failing()) return lastNotice_;
    const std::uint64_t n = losses_.LostInEpisode();
    return std::to_string(n) + (n == 1 ? " block" : " blocks") + " not logged: " + losses_.Reason();
}

int TelemetryLogger::SetEventBufferSize(std::string_view answer, KeyValueStore& store) {
    const int n = EventBufferSizeFromAnswer(answer);
    grid_.SetBufferSize(n);
    store.Write(kStartupKey, "Event Buffer Size", std::to_string(n));
    return n;
}

EventGridPicture TelemetryLogger::DrawEventGrid(double screenScale) const {
    return orv::DrawEventGrid(grid_, eventNumber_, station_.receiver.eventPointer, screenScale);
}

}  // namespace orv
