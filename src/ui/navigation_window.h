#pragma once
// NavigationWindow, the Navigation window: electric propulsion, liquid propellant and panel deployment,
// momentum wheels, stabilisation, spin sun sensor, earth sensors and the three-axis and omni
// sun sensors.
#include "ui/display_form.h"

namespace orv {

class NavigationWindow : public FieldForm {
    Q_OBJECT
public:
    explicit NavigationWindow(const DisplayContext& context);
};

}  // namespace orv
