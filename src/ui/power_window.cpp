#include "ui/power_window.h"

#include "displays/power_content.h"

namespace orv {
namespace {

// Voltages and the three regulators side by side; currents and transmitters below.
constexpr GroupPlace kPlaces[] = {
    {"Volts", 0, 0, 1, 1, 1},  {"BCR #1", 0, 1, 1, 1, 1},     {"BCR #2", 0, 2, 1, 1, 1},
    {"BCR #3", 0, 3, 1, 1, 1}, {"Amps", 1, 0, 1, 1, 1},       {"Tx Pwr/Cur", 1, 1, 1, 3, 2},
};

}  // namespace

PowerWindow::PowerWindow(const DisplayContext& context)
    : FieldForm(PowerWindowInfo(), context, &PowerFields, PowerGroups(), kPlaces) {}

}  // namespace orv
