#pragma once
// The export: up to eight channels of the A blocks of a telemetry file, one comma-separated line
// per block with the block number and the Amsat Day of its time stamp, for other programs. Two
// formats: the historic export.txt (two header lines, padded numbers, CR LF) and CSV (one header
// row of plain column names, an ISO 8601 UTC time column, numbers without padding, LF).
#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "files/channel_graph.h"
#include "files/progress.h"
#include "files/mapped_log_file.h"

namespace orv {

inline constexpr std::size_t kExportChannels = 8;
inline constexpr std::string_view kExportFileName = "export.txt";
inline constexpr std::string_view kDefaultMask = "#FF";
inline constexpr std::string_view kAddressTooLargeText = "Address value greater than 511\n        Please re-enter!";

// The fields of the Export window as typed.
struct ExportFields {
    std::array<std::string, kExportChannels> addresses;  // "#1".."#8"; empty = no channel
    std::array<std::string, kExportChannels> masks{std::string(kDefaultMask), std::string(kDefaultMask),
                                                   std::string(kDefaultMask), std::string(kDefaultMask),
                                                   std::string(kDefaultMask), std::string(kDefaultMask),
                                                   std::string(kDefaultMask), std::string(kDefaultMask)};
    std::string startText;   // "Start:"
    std::string stopText;    // "Stop:"
    bool raw = true;         // "Raw" (else "Trans.")
    bool csv = false;        // CSV instead of the historic export.txt format
};

struct ExportChannel {
    int address = -1;        // -1: no channel
    long long mask = -1;     // -1: field empty or not a number (all bits kept, always raw)
};

// The checked request: channels, range and the header line.
struct ExportPlan {
    std::array<ExportChannel, kExportChannels> channels;
    std::uint32_t start = 1, stop = 0;   // 1-based, inclusive; stop below start writes no lines
    bool raw = true;
    bool csv = false;
    std::string header;                  // both header lines with their "\r\n" (CSV: the header row)
};

struct ExportCheck {
    std::optional<ExportPlan> plan;
    std::string message;                 // why the fields were refused
};

// Reads and checks the fields against a file of `total` blocks: start 0 becomes 1, a stop above
// the total becomes the total; a start or stop that is not a number, a stop of 0, an address
// that is typed but not a number, or an address above 511 is refused with a message.
ExportCheck PrepareExport(const ExportFields& fields, std::uint32_t total);

// The header: "Blk#, Amsat Day, Telem. addr. = " and each typed address, the last ", " taken
// off, then a rule of 74 "-"; each line ends in "\r\n".
std::string ExportHeader(const std::array<std::string, kExportChannels>& addresses);

// The CSV header row: "block,time,amsat_day" and "addr_0x1A7" for each channel's address, "\n".
std::string CsvExportHeader(const std::array<ExportChannel, kExportChannels>& channels);

// Amsat Day with the day fraction of an A block's time text (bytes 36..55: year 36-39, month
// 41-42, day 44-45, hour 48-49, minute 51-52, second 54-55); nothing when a field is not a number.
std::optional<long double> AmsatDayOfBlock(Record record);

struct ExportResult {
    bool written = false;
    std::uint64_t lines = 0;
    std::uint64_t skippedTime = 0;   // A blocks left out because their date or time is not numeric
    std::string readError;           // the input could not be read to its end (nothing was written)
    std::string message;
};

// Writes the plan's header and lines to `output` (replaced when it exists). A failed write
// removes the incomplete file and says why.
ExportResult ExportFile(const MappedLogFile& image, const ExportPlan& plan, const std::filesystem::path& output,
                        const ProgressFn& progress = {});

// The same lines handed to `write` in pieces of about 4 MiB (standard output, a socket).
// `write` returns false when it failed; the export then stops and says so in the message.
// `stopped` is set when `progress` asked to stop.
using ExportWriter = std::function<bool(const char* data, std::size_t bytes)>;
ExportResult ExportLines(const MappedLogFile& image, const ExportPlan& plan, const ExportWriter& write,
                         const ProgressFn& progress = {}, bool* stopped = nullptr);

}  // namespace orv
