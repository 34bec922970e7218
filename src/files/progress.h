#pragma once
// Progress of a pass over a telemetry file.
#include <cstdint>
#include <functional>

namespace orv {

// Called now and then with the records done so far and the records in all; returns false to
// stop the pass early.
using ProgressFn = std::function<bool(std::uint64_t done, std::uint64_t total)>;

// Records between two progress calls (and between two releases of mapped memory).
inline constexpr std::uint64_t kProgressRecords = 16384;

}  // namespace orv
