#pragma once
// The telemetry logger: a sink of the reception pipeline that names the log file of the day,
// appends the blocks that qualify under its rules and keeps the Event Grid. The Logging window
// only sets the rules and shows the results; logging goes on while the window is closed.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "files/event_grid.h"
#include "files/loss_report.h"
#include "files/mapped_log_file.h"
#include "reception/clock.h"
#include "reception/received_block.h"
#include "reception/settings_store.h"
#include "reception/station_state.h"

namespace orv {

// What one append did, for the Logging window.
struct LogAppendResult {
    bool written = false;
    std::string countText;          // "Count:": blocks in the whole file (length / 512)
    bool eventGridChanged = false;  // an E block was logged: repaint the grid
    std::string error;              // the failure, empty when written
    std::string notice;             // a torn partial record cut from the file's end before it; else empty
    bool newFile = false;           // following the date, the name changed before this append
    std::string lossLine;           // the loss report's line to say now (loss_report.h), or empty
};

class TelemetryLogger : public BlockSink {
public:
    // `station` holds the receiver's event pointer, the CRCC status, the settings (UTC rule, event
    // buffer size) and the data directory; `clock` gives the date of the name.
    TelemetryLogger(const StationState& station, const Clock& clock);

    // A completed block: while logging, a block that qualifies is appended (a failed one with the
    // failed-CRCC stamp) and the result goes to the append handler.
    void TakeBlock(const ReceivedBlock& block) override;
    void SetAppendHandler(std::function<void(const LogAppendResult&)> handler) { onAppend_ = std::move(handler); }
    // The log decision: (CRCC "OK", or the CRCC rule "ignore", or a 512-byte block without a CRCC)
    // and (a standard A block, or the block rule "all").
    bool Qualifies(const ReceivedBlock& block) const;

    // Menu "Block": " all" and "A"; menu "CRCC": "ignore" and "use". Each sets its rule and
    // rebuilds the name.
    void LogAllBlocks();
    void LogABlocksOnly();
    void IgnoreCrcc();
    void UseCrcc();
    bool ABlocksOnly() const { return aOnly_; }
    bool UsesCrcc() const { return useCrcc_; }
    // "use" is offered only when the modem delivers 514-byte blocks.
    bool UseCrccAvailable() const { return station_.receiver.blockLength == 514; }

    // Name prefix + yy mm dd of the UTC date under the station's rule + extension, and the log
    // path in the "telemetry" folder of the data directory. Returns the name.
    std::string UpdateLogFileName();
    // The data directory changed: the log path follows it and keeps the name (and so the day).
    void FollowDataDirectory();
    const std::string& FileName() const { return fileName_; }
    // What the name field shows: " " + name.
    std::string NameFieldText() const { return " " + fileName_; }
    const std::filesystem::path& LogPath() const { return logPath_; }

    // "Logging": rebuild the name, count "---", logging on. "Stop/Pause": logging off.
    void StartLogging();
    void StopLogging();
    bool Logging() const { return logging_; }

    // Appends one record that passed the receiver's log decision (failed mark and stamp
    // applied). A failure is returned, counted and kept for the window; it is never silent.
    LogAppendResult AppendBlockToLog(Record record);

    const std::string& CountText() const { return countText_; }
    // Records that did not reach the file since logging was last started.
    std::uint64_t LostBlocks() const { return lostBlocks_; }
    // The status line for the window: empty while all is well; while appends fail
    // "2 blocks not logged: REASON" (the blocks lost since they began to fail), once one works
    // again "Writing again; 2 blocks were not logged"; a torn record cut from the file's end.
    std::string FailureText() const;
    // FailureText is trouble (shown in red), not the all-clear after a failure.
    bool FailureIsTrouble() const { return losses_.Failing() || !recovered_; }
    const LossReport& Losses() const { return losses_; }

    // The event number of the last logged standard E block.
    int EventNumber() const { return eventNumber_; }

    // "E-buffer size": the answer as the operator typed it. Writes N under "Startup"/"Event Buffer
    // Size"; a changed N clears the marks. Returns the new N.
    int SetEventBufferSize(std::string_view answer, KeyValueStore& store);

    const EventGrid& Grid() const { return grid_; }
    EventGrid& Grid() { return grid_; }
    EventGridPicture DrawEventGrid(double screenScale) const;

    // Whether each append is forced to the disk before it returns (on by default; a station
    // loses nothing but the block being written at a power cut).
    void SetSyncEachRecord(bool on) { sync_ = on; }

    // Whether each append first names the file by the clock's date (a station left running goes
    // on in the next day's file after midnight). Off by default: the Logging window keeps the
    // name it showed when logging started.
    void SetFollowDate(bool on) { followDate_ = on; }

private:
    static LossReport NewLossReport() { return LossReport("telemetry log", "block", "blocks"); }

    const StationState& station_;
    const Clock& clock_;
    bool aOnly_ = false;    // log only standard A blocks
    bool useCrcc_ = false;  // log only blocks whose CRCC reads "OK"
    bool logging_ = false;
    int eventNumber_ = 0;
    std::function<void(const LogAppendResult&)> onAppend_;
    EventGrid grid_;
    std::string fileName_;
    std::filesystem::path logPath_;
    std::string countText_ = "---";
    std::uint64_t lostBlocks_ = 0;
    LossReport losses_ = NewLossReport();
    std::string lastNotice_;  // the last status after a failure: a torn record cut, or writing again
    bool recovered_ = false;  // lastNotice_ says writing works again
    bool sync_ = true;
    bool followDate_ = false;
};

// The log file name for a date: prefix ("T" all blocks, "A" A blocks only) + yy mm dd +
// extension (".raw" CRCC ignored, ".tlm" CRCC used). LogFileName(false, false, 2003, 4, 15)
// is "T030415.raw".
std::string LogFileName(bool aOnly, bool useCrcc, int year, int month, int day);

}  // namespace orv
