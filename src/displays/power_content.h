#pragma once
// The Power window (PowerWindow): battery and bus voltages, the three battery charge regulators,
// bus currents, transmitter powers and currents, the X-band transmitter and the off voltages.
#include <vector>

#include "displays/display_content.h"

namespace orv {

const WindowInfo& PowerWindowInfo();
const std::vector<GroupInfo>& PowerGroups();
std::vector<DisplayField> PowerFields(const DisplayInput& input);

}  // namespace orv
