#pragma once
// The Status window (StatusWindow): text header, AGC/ALC levels, receivers, transmitters, antennas,
// experiments, beacons, power supply and safety flags of one A block (E block in Events mode).
#include <string>
#include <vector>

#include "displays/display_content.h"
#include "reception/dates.h"

namespace orv {

inline constexpr std::string_view kStatusHeaderGroup = "Header";
inline constexpr std::string_view kClockPanelHint = "Click to shift between Amsat day and Current day/time.";

const WindowInfo& StatusWindowInfo();
// The group boxes in reading order, with their hints.
const std::vector<GroupInfo>& StatusGroups();

// Every field of the window in reading order: the header ("Title", "Date", "Time", "Amsat Day#",
// "Orbit#", "MA#", "Cmd#", "Event#"), then the groups.
std::vector<DisplayField> StatusFields(const DisplayInput& input);


}  // namespace orv
