#pragma once
// The Navigation window (NavigationWindow): electric propulsion, liquid propellant and panel deployment,
// momentum wheels, stabilisation, spin sun sensor with the computed solar angle, earth sensors
// and the three-axis and omni sun sensors.
#include <cstdint>
#include <vector>

#include "displays/display_content.h"

namespace orv {

const WindowInfo& NavigationWindowInfo();
const std::vector<GroupInfo>& NavigationGroups();
std::vector<DisplayField> NavigationFields(const DisplayInput& input);

// Solar angle in degrees from the two spin sun sensor counts (#190, #191, signed bytes).
float SolarAngle(std::uint8_t count1, std::uint8_t count2);

// Earth sensor threshold voltage from byte #1C6: 0.3, 0.6, 1.2 and 2.4 V for bits 4..7.
float ThresholdVoltage(std::uint8_t byte1C6);

}  // namespace orv
