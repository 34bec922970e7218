#include "ui/navigation_window.h"

#include "displays/navigation_content.h"

namespace orv {
namespace {

// Column by column, in the order the groups are read.
constexpr GroupPlace kPlaces[] = {
    {"EPU", 0, 0, 1, 1, 1},           {"LIU / SP Deploy", 1, 0, 1, 1, 1}, {"Wheels", 0, 1, 1, 1, 1},
    {"Stability", 1, 1, 1, 1, 1},     {"Spin Sun Sens.", 0, 2, 2, 1, 1},  {"Earth Sensors", 0, 3, 2, 1, 1},
    {"3-Ax Sun Sens.", 0, 4, 2, 1, 1},
};

}  // namespace

NavigationWindow::NavigationWindow(const DisplayContext& context)
    : FieldForm(NavigationWindowInfo(), context, &NavigationFields, NavigationGroups(), kPlaces) {}

}  // namespace orv
