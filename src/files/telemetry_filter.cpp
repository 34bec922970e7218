#include "files/telemetry_filter.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <deque>
#include <system_error>

#include "files/named_output.h"
#include "files/output_file.h"

namespace orv {

char FilterPrefix(FilterKind kind) {
    switch (kind) {
        case FilterKind::A: return 'A';
        case FilterKind::D: return 'D';
        case FilterKind::E: return 'E';
        case FilterKind::K: return 'K';
        case FilterKind::All: break;
    }
    return 'T';
}

FilterName FilterOutputName(std::string_view inputName, FilterKind kind, CrccMode mode) {
    FilterName out;
    const std::size_t n = inputName.size();
    out.name.push_back(FilterPrefix(kind));
    if (n > 4) out.name.append(inputName.substr(1, n - 4));
    out.name += mode == CrccMode::Filter ? "tlm" : "tlr";
    if (out.name == inputName) {
        out.sameName = true;
        out.name.erase(0, 1);
    }
    return out;
}

bool AcceptsDroppedFilterFile(const std::filesystem::path& path) {
    std::string ext = path.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    return ext == ".tlm" || ext == ".raw";
}

namespace {

constexpr std::size_t kTimeText = 36;       // bytes 36..55: the A block's time text
constexpr std::size_t kTimeTextLength = 20;
constexpr std::size_t kFecText = 169;       // bytes 169..171: "FEC" in a block rebuilt from an FEC frame

// Two time texts compared as text: up to the first zero byte.
bool SameTimeText(const std::uint8_t* a, const std::uint8_t* b) {
    return std::strncmp(reinterpret_cast<const char*>(a), reinterpret_cast<const char*>(b), kTimeTextLength) == 0;
}

// Kind text of a record: the kind value (bit 7 of byte 0 dropped in Ignore mode) and byte 1
// as it stands.
struct KindText {
    std::uint8_t first = 0, second = 0;
    bool Is(char letter) const { return first == static_cast<std::uint8_t>(letter) && second == ' '; }
};

// Collects runs of records that lie one after the other in the pass's batch, so that a long
// selection goes out in few pieces, and hands them to the writer batch by batch.
class RunWriter {
public:
    explicit RunWriter(const RecordWriter& write) : write_(write) {}

    void Add(const std::uint8_t* record) {
        if (!runs_.empty() && record == runs_.back().data + runs_.back().bytes) {
            runs_.back().bytes += kRecordBytes;
            return;
        }
        runs_.push_back({record, kRecordBytes});
    }
    // A record changed from the image's: a copy kept until the batch is written.
    void AddCopy(const std::array<std::uint8_t, kRecordBytes>& record) {
        runs_.push_back({copies_.emplace_back(record).data(), kRecordBytes});
    }

    bool Flush() {
        if (runs_.empty()) return true;
        const bool ok = write_(runs_);
        runs_.clear();
        copies_.clear();
        return ok;
    }

private:
    const RecordWriter& write_;
    std::vector<RecordRun> runs_;
    std::deque<std::array<std::uint8_t, kRecordBytes>> copies_;  // stable addresses as it grows
};

}  // namespace

FilterCounts FilterRecords(const MappedLogFile& input, FilterKind kind, CrccMode mode, const RecordWriter& write,
                           const ProgressFn& progress) {
    FilterCounts counts;
    const std::uint64_t total = input.BlockCount();
    counts.inputBlocks = total;
    const bool ignore = mode == CrccMode::Ignore;
    const char wanted = kind == FilterKind::All ? 0 : FilterPrefix(kind);

    KindText previousKind;                   // empty before the first record
    bool previousCrccOk = false;             // no previous record: an FEC block is not dropped
    std::array<std::uint8_t, kTimeTextLength> lastATime{};
    std::array<std::uint8_t, kTimeTextLength> previousATime{};
    std::array<bool, 64> slotSeen{};
    std::array<std::uint8_t, kRecordBytes> marked{};
    RunWriter runs(write);
    SequentialPass pass(input, 0, total);
    static_assert(kProgressRecords % SequentialPass::kBatchRecords == 0);

    while (pass.Next()) {
        const std::uint64_t end = pass.End();
        if (pass.Begin() != 0 && pass.Begin() % kProgressRecords == 0 && progress && !progress(pass.Begin(), total)) {
            counts.stopped = true;
            return counts;
        }
        for (std::uint64_t i = pass.Begin(); i < end; ++i) {
            const std::uint8_t* r = pass.RecordData(i);
            KindText kindText{r[0], r[1]};
            if (ignore && kindText.first > 128) kindText.first -= 128;

            // A repeat of the record before (which holds what the last record kept held).
            if (i != 0 && std::memcmp(r, pass.RecordData(i - 1), kRecordBytes) == 0) continue;
            if (previousKind.Is('A')) previousATime = lastATime;
            bool fecRepeat = false;
            if (kindText.Is('A')) {
                std::memcpy(lastATime.data(), r + kTimeText, kTimeTextLength);
                // A block rebuilt from an FEC frame that repeats the time of the A block before it.
                fecRepeat = std::memcmp(r + kFecText, "FEC", 3) == 0 && previousCrccOk &&
                            SameTimeText(previousATime.data(), lastATime.data());
            }
            previousKind = kindText;

            bool selected = true;
            if (wanted != 0) {
                char letter = kindText.second == ' ' ? static_cast<char>(kindText.first) : 0;
                if (letter == 'E' && wanted == 'E') {
                    // One E block per event-buffer slot; digits that are not hexadecimal give slot 0.
                    const std::size_t slot = static_cast<unsigned>(EventNumber(std::span(r, kRecordBytes))) % 64;
                    if (slotSeen[slot]) letter = 0;
                    slotSeen[slot] = true;
                }
                if (letter == 'L' || letter == 'M' || letter == 'N') letter = 'K';
                selected = letter == wanted;
            }
            const std::uint8_t byte0 = fecRepeat ? static_cast<std::uint8_t>(r[0] | kFailedMark) : r[0];
            previousCrccOk = byte0 < 0x80;
            if (!(previousCrccOk || ignore) || !selected) continue;

            if (fecRepeat) {
                std::memcpy(marked.data(), r, kRecordBytes);
                marked[0] = byte0;
                runs.AddCopy(marked);
            } else {
                runs.Add(r);
            }
            ++counts.writtenBlocks;
        }
        // The runs point into the batch: written out before the next one takes its place.
        if (!runs.Flush()) {
            counts.writeFailed = true;
            return counts;
        }
    }
    if (!pass.Error().empty()) {
        counts.readError = pass.Error();
        return counts;
    }
    if (progress) progress(total, total);
    return counts;
}

FilterResult FilterFile(const std::filesystem::path& inputPath, const std::filesystem::path& outputPath,
                        FilterKind kind, CrccMode mode, const OverwriteQuestion& overwrite,
                        const ProgressFn& progress) {
    FilterResult result;
    MappedLogFile input;
    std::string error;
    if (!input.Open(inputPath, error)) {
        result.message = "Cannot read \"" + inputPath.string() + "\": " + error;
        return result;
    }
    result.inputBlocks = input.BlockCount();
    if (!input.HasWholeLength()) {
        result.damagedInput = true;
        result.message = kFileErrorText;
        return result;
    }
    if (!OutputOverInputError(outputPath, {inputPath}).empty()) {
        result.message = kSameNameText;
        return result;
    }
    std::error_code ec;
    // An existing output keeps its content until the new one is complete.
    if (std::filesystem::exists(outputPath, ec) && (!overwrite || !overwrite(outputPath))) {
        result.message = "Output file \"" + outputPath.string() + "\" already exists; nothing was written.";
        return result;
    }
    OutputFile out;
    if (!out.Open(outputPath, result.message)) return result;
    const RecordWriter write = [&out](std::span<const RecordRun> runs) { return out.WritePieces(runs); };
    const FilterCounts counts = FilterRecords(input, kind, mode, write, progress);
    result.writtenBlocks = counts.writtenBlocks;
    if (counts.stopped) {
        out.Discard();
        result.message = "Filter stopped; the incomplete output was removed.";
        return result;
    }
    if (!counts.readError.empty()) {
        out.Discard();
        result.message = "Cannot read \"" + inputPath.string() + "\": " + counts.readError + "; the incomplete output was removed.";
        return result;
    }
    if (!out.Close(result.message)) {
        out.Discard();
        result.message += " The incomplete output was removed.";
        return result;
    }
    result.ran = true;
    if (counts.writtenBlocks == 0) {
        RemoveRegularFile(outputPath);
        result.outputDeleted = true;
    }
    return result;
}

}  // namespace orv
