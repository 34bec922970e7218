#pragma once
// The address key filter on a Qt line edit: the Monitor's and the Export window's address fields.
// Every change to the text, typed, pasted or dropped, must pass FilterAddressKey character by
// character; deleting characters is always allowed, as the key filter always takes backspace.
#include <QValidator>

class QLineEdit;

namespace orv {

class AddressFieldValidator final : public QValidator {
    Q_OBJECT
public:
    // Installs itself on `field` (and is owned by it).
    explicit AddressFieldValidator(QLineEdit* field);

    State validate(QString& input, int& pos) const override;

private:
    QString before_;  // the field's text before the change being validated
};

}  // namespace orv
