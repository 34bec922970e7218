#include "fec/fec_log.h"

#include <fstream>
#include <system_error>

#include "fec/fec_block.h"
#include "text/number_text.h"

namespace orv {
namespace {

// A Reed-Solomon count: "FAIL " for an undecodable codeword, otherwise the count with a leading
// space below 10 followed by `gap`.
std::string CorrectionsText(std::int32_t count, const char* gap) {
    if (count == -1) return "FAIL ";
    std::string text = count < 10 ? " " : "";
    text += std::to_string(count);
    text += gap;
    return text;
}

std::string GainText(float gain) { return FixedText(gain, 3, 1); }

// The pieces every line has: " ", the ID, the UTC and the MA of the last decoded frame.
std::string FramePieces(const FecLogState& state) {
    std::string line = " ";
    line += PadLeft(std::to_string(state.lineCounter), 4);
    line += "    ";
    line += state.timeText;
    line += "   ";
    line += PadLeft(std::to_string(state.ma), 3);
    return line;
}

}  // namespace

void KeepFecFrameFacts(std::span<const std::uint8_t, kFecDataBytes> data, FecLogState& state) {
    state.dayCount = FecDayCount(data);
    state.timeText = FecTimeText(data);
    state.ma = data[kFecMaOffset];
}

std::string FecLogFileName(int dayCount) { return std::to_string(dayCount) + "_FEC.txt"; }

std::string FecLogHeader() {
    return "          Block            Sync      RS      Chan   Eb/No\r\n"
           "   ID      UTC       MA    gain     Corrs    Errs    db  \r\n"
           " ---------------------------------------------------------\r\n";
}

std::string EbNoText(float ebNoDb) { return ebNoDb == 20.0F ? ">8.3" : FixedText(ebNoDb, 3, 1); }

std::string FecLogLine(const FecLogState& state, const FecStatus& status) {
    const bool decoded = status.Decoded();
    std::string line = FramePieces(state);
    line += "    ";
    line += PadLeft(GainText(status.syncGain), 4);
    line += "    ";
    line += CorrectionsText(status.rsCorrections[0], "  ");
    line += CorrectionsText(status.rsCorrections[1], "   ");
    line += " ";
    line += decoded ? PadLeft(std::to_string(status.channelErrors), 3) : "   ";
    line += "   ";
    line += decoded ? PadLeft(EbNoText(status.ebNoDb), 4) : "    ";
    line += "\r\n";
    return line;
}

std::string FecLogLineWithoutFigures(const FecLogState& state) {
    // As wide as the line of a decoded frame with one-digit figures.
    const std::string frame = FramePieces(state);
    const std::size_t width = FecLogLine(state, FecStatus{}).size() - 2;
    return frame + std::string(width - frame.size(), ' ') + "\r\n";
}

bool AppendFecLogLine(const std::filesystem::path& telemetryDirectory, FecLogState& state, const FecStatus& status) {
    return AppendFecLogLine(telemetryDirectory, state, &status);
}

bool AppendFecLogLine(const std::filesystem::path& telemetryDirectory, FecLogState& state, const FecStatus* status) {
    const std::filesystem::path path = telemetryDirectory / FecLogFileName(state.dayCount);
    std::error_code ec;
    const bool existed = std::filesystem::exists(path, ec);
    std::ofstream out(path, std::ios::binary | std::ios::app);
    if (!out) return false;
    if (!existed) {
        state.lineCounter = 0;
        out << FecLogHeader();
    }
    out << (status != nullptr ? FecLogLine(state, *status) : FecLogLineWithoutFigures(state));
    out.flush();
    if (!out) return false;
    ++state.lineCounter;
    return true;
}

std::string FecStatusLine(const FecStatus& status, bool fecDelivered) {
    std::string text = "Sync Gain: " + GainText(status.syncGain);
    if (!fecDelivered) return text;
    text += "     Chan Errs: " + std::to_string(status.channelErrors);
    text += "     RS Corrs: " + std::to_string(status.rsCorrections[0]) + " " + std::to_string(status.rsCorrections[1]);
    text += "     Eb/No: " + EbNoText(status.ebNoDb);
    return text;
}

}  // namespace orv
