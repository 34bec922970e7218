#pragma once
// The filter: copies the selected records of a telemetry file into a new telemetry file: one
// block kind, only records with a correct CRCC, no consecutive repeats, and of the event
// blocks only the first of each event-buffer slot.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "files/named_output.h"
#include "files/progress.h"
#include "files/mapped_log_file.h"

namespace orv {

// "Block Type": All, A-blk, D-blk, Events, Text (K, L, M and N).
enum class FilterKind { All, A, D, E, K };
// "CRCC": Filter keeps only records without the failed mark (".tlm"); Ignore keeps all (".tlr").
enum class CrccMode { Filter, Ignore };

// The output name prefix of a kind: "T", "A", "D", "E", "K".
char FilterPrefix(FilterKind kind);

struct FilterName {
    std::string name;       // the output file name
    bool sameName = false;  // it equalled the input name, so its first character was dropped
};

inline constexpr std::string_view kSameNameText = "Input & Output files have the same name!";
inline constexpr std::string_view kOverwriteQuestion = "Output file already exists! \nDo you want to overwrite?";

// Output name: prefix + the input name without its first character and its last three + "tlm"
// or "tlr". "T030415.raw" with A-blk and Filter gives "A030415.tlm"; "A030415.tlm" the same
// way gives "030415.tlm" (same name).
FilterName FilterOutputName(std::string_view inputName, FilterKind kind, CrccMode mode);

// The Filter window takes dropped ".tlm" and ".raw" files (extension compared in lower case).
bool AcceptsDroppedFilterFile(const std::filesystem::path& path);

// The copy loop over an image, writing the selected records through `write`. It gets them batch
// by batch as runs of whole records, each run pointing into the batch that was read (or at a
// marked copy), valid during the call: a file output writes them straight from there. It returns
// false when it fails.
struct FilterCounts {
    std::uint64_t inputBlocks = 0;
    std::uint64_t writtenBlocks = 0;
    bool stopped = false;      // the progress callback asked to stop
    bool writeFailed = false;  // `write` failed; nothing more was written
    std::string readError;     // the input could not be read to its end; nothing more was written
};
using RecordRun = OutputPiece;  // `bytes` a multiple of 512
using RecordWriter = std::function<bool(std::span<const RecordRun> runs)>;
FilterCounts FilterRecords(const MappedLogFile& input, FilterKind kind, CrccMode mode, const RecordWriter& write,
                           const ProgressFn& progress = {});

// What to do when the output exists: true = replace it (once the new file is complete), false = stop.
using OverwriteQuestion = std::function<bool(const std::filesystem::path& output)>;

struct FilterResult {
    bool ran = false;               // the filter ran to its end (the counts are final)
    std::uint64_t inputBlocks = 0;
    std::uint64_t writtenBlocks = 0;
    bool outputDeleted = false;     // nothing was selected, so the empty output was removed
    bool damagedInput = false;      // the input's length is not a whole number of records
    std::string message;            // file error, refusal or failure; empty when all went well
};

// Filters `inputPath` into `outputPath`. A damaged input (length not a whole number of records)
// gives the file-error text and nothing is written. An existing output is only replaced when
// `overwrite` says so; an output that is the input file itself is refused. A failed write
// removes the incomplete output and says why.
FilterResult FilterFile(const std::filesystem::path& inputPath, const std::filesystem::path& outputPath,
                        FilterKind kind, CrccMode mode, const OverwriteQuestion& overwrite,
                        const ProgressFn& progress = {});

}  // namespace orv
