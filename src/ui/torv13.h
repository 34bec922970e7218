#pragma once
// TOrv13, the Temperature window: 47 temperatures in degrees Celsius, coloured by a five-band
// scale.
#include "ui/display_form.h"

namespace orv {

class TOrv13 : public FieldForm {
    Q_OBJECT
public:
    explicit TOrv13(const DisplayContext& context);
};

}  // namespace orv
