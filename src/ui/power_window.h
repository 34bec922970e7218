#pragma once
// PowerWindow, the Power window: battery and bus voltages, the three battery charge regulators,
// bus currents, transmitter powers and currents, the X-band transmitter and the off voltages.
#include "ui/display_form.h"

namespace orv {

class PowerWindow : public FieldForm {
    Q_OBJECT
public:
    explicit PowerWindow(const DisplayContext& context);
};

}  // namespace orv
