#pragma once
// A key filter of the files windows on a Qt line edit: every change to the text, typed, pasted or
// dropped, must pass the filter character by character; deleting characters is always allowed,
// as every key filter takes backspace.
#include <QValidator>
#include <functional>
#include <optional>
#include <string_view>

class QLineEdit;

namespace orv {

// The key as the field takes it (possibly raised to upper case), or nothing when it is refused.
// `text` is the field's text before the key.
using KeyFilter = std::function<std::optional<char>(char key, std::string_view text)>;

class KeyFilterValidator final : public QValidator {
    Q_OBJECT
public:
    // Installs itself on `field` (and is owned by it).
    KeyFilterValidator(QLineEdit* field, KeyFilter filter);

    State validate(QString& input, int& pos) const override;

private:
    KeyFilter filter_;
    QString before_;  // the field's text before the change being validated
};

}  // namespace orv
