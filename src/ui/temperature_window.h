#pragma once
// TemperatureWindow, the Temperature window: 47 temperatures in degrees Celsius, coloured by a five-band
// scale.
#include "ui/display_form.h"

namespace orv {

class TemperatureWindow : public FieldForm {
    Q_OBJECT
public:
    explicit TemperatureWindow(const DisplayContext& context);
};

}  // namespace orv
