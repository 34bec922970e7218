#include "ui/temperature_window.h"

#include "displays/temperature_content.h"

namespace orv {
namespace {

// Three by three, in the order the groups are read.
constexpr GroupPlace kPlaces[] = {
    {"Batteries", 0, 0, 1, 1, 1}, {"Solar Panels", 0, 1, 1, 1, 1}, {"S/C Frame", 0, 2, 1, 1, 1},
    {"Receivers", 1, 0, 1, 1, 1}, {"Modules", 1, 1, 1, 1, 1},      {"Heat Pipes", 1, 2, 1, 1, 1},
    {"Bat.Reg.", 2, 0, 1, 1, 1},  {"Transmitters", 2, 1, 1, 1, 1}, {"Tanks", 2, 2, 1, 1, 1},
};

}  // namespace

TemperatureWindow::TemperatureWindow(const DisplayContext& context)
    : FieldForm(TemperatureWindowInfo(), context, &TemperatureFields, TemperatureGroups(), kPlaces) {}

}  // namespace orv
