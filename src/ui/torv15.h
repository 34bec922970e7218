#pragma once
// TOrv15, the Navigation window: electric propulsion, liquid propellant and panel deployment,
// momentum wheels, stabilisation, spin sun sensor, earth sensors and the three-axis and omni
// sun sensors.
#include "ui/display_form.h"

namespace orv {

class TOrv15 : public FieldForm {
    Q_OBJECT
public:
    explicit TOrv15(const DisplayContext& context);
};

}  // namespace orv
