#pragma once
// Replay: a logged file fed block by block, as the operator steps, into the same stores and the
// same dispatch that live reception uses.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "files/mapped_log_file.h"
#include "reception/station_state.h"

namespace orv {

inline constexpr std::string_view kTelemetryFileMasks = "*.tlm;*.raw;*.tlr";

// A file dropped on the main or Replay window is replayed only when its extension, in lower
// case, is ".tlm".
bool AcceptsDroppedReplayFile(const std::filesystem::path& path);

// What the replay shows a block through, in this order (the window adapts them).
class ReplayHooks {
public:
    virtual ~ReplayHooks() = default;
    virtual void ShowCounter(std::string_view text) {}
    // Text view of the live block; the Raw data window shows it under the caption "Replay".
    virtual void ShowTextBlock(std::span<const std::uint8_t, kTelemetryBytes> bytes) {}
    // The monitor, when it is visible.
    virtual void UpdateMonitor() {}
    // An E block: enable the main window's "Events" check box.
    virtual void EnableEvents() {}
    virtual void DispatchBlock() {}
};

// Block stepping with unsigned 32-bit block numbers (1-based; 0 only before a file is loaded).
std::uint32_t StepBackFive(std::uint32_t current);
std::uint32_t StepBackOne(std::uint32_t current);
std::uint32_t StepForward(std::uint32_t current, std::uint32_t count, std::uint32_t total);

// "Go": the block for the "Go To Blk:" text (1 when it is not a number, 0 becomes 1, above the
// total becomes the total), and the text the field must show instead when it was corrected.
struct GoTarget {
    std::uint32_t block = 1;
    std::optional<std::string> fieldText;
};
GoTarget GoToBlock(std::string_view fieldText, std::uint32_t total);

class ReplaySession {
public:
    struct LoadResult {
        bool loaded = false;   // blocks can be shown (total > 0 or an empty but readable file)
        std::string message;   // the file-error text for a damaged or unreadable file, else empty
        std::string detail;    // why a file could not be opened
    };

    // Maps the file (no copy; immediate for any size), block 1 current. A length that is not
    // a whole number of records gives the file-error message; the whole records are used.
    // A file that cannot be opened gives the same message and total 0.
    LoadResult Load(const std::filesystem::path& path);
    void Close();

    bool HasFile() const { return image_.IsOpen(); }
    const MappedLogFile& Image() const { return image_; }
    std::uint32_t Total() const { return total_; }
    std::uint32_t Current() const { return current_; }
    std::string CounterText() const;

    void First() { current_ = 1; }
    void BackFive() { current_ = StepBackFive(current_); }
    void BackOne() { current_ = StepBackOne(current_); }
    void ForwardOne() { current_ = StepForward(current_, 1, total_); }
    void ForwardFive() { current_ = StepForward(current_, 5, total_); }
    void Last() { current_ = total_; }
    // Returns the corrected field text, if any.
    std::optional<std::string> Go(std::string_view fieldText);

    // Shows the current block: counter; the live block and the display block take its 512 bytes
    // (an E block also the last E block); text view; monitor; an E block enables "Events"; an A
    // block with Events mode off becomes the last A block and is dispatched, an E block with
    // Events mode on is dispatched. Nothing happens while the total is 0.
    void ShowReplayBlock(StationState& station, ReplayHooks& hooks) const;

private:
    MappedLogFile image_;
    std::uint32_t total_ = 0;
    std::uint32_t current_ = 0;
};

}  // namespace orv
