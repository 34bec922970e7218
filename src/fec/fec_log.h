#pragma once
// The FEC log: one text line per FEC frame, decoded or not, in a file per day "<D>_FEC.txt" of the
// telemetry directory; and the FEC figures as the text view's status line shows them.
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

#include "fec/fec_codec.h"

namespace orv {

// What the log keeps of the last decoded frame, and its line counter; for the whole run.
struct FecLogState {
    int dayCount = 0;                   // D of the last decoded frame: names the file
    std::string timeText = "00:00:00";  // its "HH:MM:SS"
    int ma = 0;                         // its MA byte
    int lineCounter = 0;                // ID of the next line
};

// Takes the day, time and MA of a decoded frame into the state.
void KeepFecFrameFacts(std::span<const std::uint8_t, kFecDataBytes> data, FecLogState& state);

// "<D>_FEC.txt", D in decimal without padding.
std::string FecLogFileName(int dayCount);

// The three header lines of a new file, each ending in CR LF.
std::string FecLogHeader();

// The line of the frame just decoded (with the state's counter as its ID), ending in CR LF.
std::string FecLogLine(const FecLogState& state, const FecStatus& status);

// The line of a frame another decoder decoded (with the state's counter as its ID): ID, UTC and
// MA as FecLogLine writes them, blanks where FecLogLine writes the sync gain, the corrections, the
// channel errors and Eb/No, which only this station's decoder measures. Ends in CR LF.
std::string FecLogLineWithoutFigures(const FecLogState& state);

// Eb/No as the log and the status line show it: ">8.3" for exactly 20 (no channel errors),
// otherwise one decimal.
std::string EbNoText(float ebNoDb);

// Appends the line to "<D>_FEC.txt" in `telemetryDirectory`, writing the header first (and
// setting the counter to 0) when the file did not exist; then advances the counter. Returns false
// when the file could not be opened or written; the line is lost and the counter stays.
bool AppendFecLogLine(const std::filesystem::path& telemetryDirectory, FecLogState& state, const FecStatus& status);
// The same with FecLogLineWithoutFigures for a null `status`.
bool AppendFecLogLine(const std::filesystem::path& telemetryDirectory, FecLogState& state, const FecStatus* status);

// The text view's status line in ADC reception: the sync gain, and the FEC figures when the block
// shown was delivered by the FEC reconstruction.
std::string FecStatusLine(const FecStatus& status, bool fecDelivered);

}  // namespace orv
