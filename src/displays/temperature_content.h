#pragma once
// The Temperature window (TemperatureWindow): 47 temperatures in degrees Celsius, each coloured by a
// five-band scale read from its converted, rounded text.
#include <string_view>
#include <vector>

#include "displays/display_content.h"

namespace orv {

const WindowInfo& TemperatureWindowInfo();
const std::vector<GroupInfo>& TemperatureGroups();
std::vector<DisplayField> TemperatureFields(const DisplayInput& input);

// The colour of a temperature as shown: blue to 0, teal to 15, black to 30, yellow to 40, red
// above (each bound belongs to the lower band). Form for a text that is not a number.
FieldColour TemperatureColour(std::string_view convertedText);

}  // namespace orv
