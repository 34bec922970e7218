#pragma once
// What a station shows, for whatever renders it: the desktop program's main window, or nothing
// at all in the headless station (every call has a do-nothing default).
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "reception/block.h"

namespace orv {

class StationView {
public:
    virtual ~StationView() = default;
    // The Input labels: block ID, byte count ("FB", "FEC" or the position), CRCC verdict.
    virtual void ShowBlockId(char id) {}
    virtual void ShowByteCount(std::string_view text) {}
    virtual void ShowCrccStatus(std::string_view text) {}
    // An E block arrived (live or replayed): "Events" can be chosen.
    virtual void EnableEvents() {}
    // The text view of a live block; `statusLine` is the FEC status line in ADC reception.
    virtual void ShowTextBlock(std::span<const std::uint8_t, kTelemetryBytes> bytes,
                               const std::optional<std::string>& statusLine) {}
    // The text view of a replayed block, and the replay's "current / total" counter.
    virtual void ShowReplayBlock(std::span<const std::uint8_t, kTelemetryBytes> bytes) {}
    virtual void ShowReplayCounter(std::string_view text) {}
    // The Monitor, when it is visible (a replayed block; live blocks reach it by the dispatch).
    virtual void UpdateMonitor() {}
    // The display dispatch.
    virtual void DispatchBlock() {}
};

}  // namespace orv
