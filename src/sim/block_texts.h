#pragma once
// The readable text the simulated spacecraft sends: the pages of the K, L, M and N text blocks
// (bulletins from the command team) and the lines of the A block's text half.
#include <array>
#include <cstdint>
#include <string>

#include "sim/spacecraft_state.h"

namespace orv::sim {

inline constexpr std::size_t kLineWidth = 64;  // one row of the 8 x 64 text view
using TextPage = std::array<std::string, 8>;

// The page a text block of kind "K".."N" carries: K the operating schedule, L news from the
// command team, M telemetry notes, N notes for new stations. The bulletin changes with the orbit.
TextPage TextBlockPage(char kind, std::int64_t orbit, std::uint64_t seed);

// Line 2 of an A block: what the spacecraft is doing now and until when.
std::string ModeLine(const SpacecraftState& state);

// Line 3 of an A block: a short news item; `index` picks which (it changes every few minutes).
std::string NewsLine(std::int64_t index);

// The last line of A, E and D blocks and the mark on text pages: this stream is not from space.
inline constexpr const char* kSimulatedNotice = "SIMULATED TELEMETRY FROM ORV-CLI SIMULATE, NOT FROM SPACE";

}  // namespace orv::sim
