#include "ui/key_filter_validator.h"

#include <QLineEdit>
#include <string>

#include "files/telemetry_number.h"

namespace orv {

KeyFilterValidator::KeyFilterValidator(QLineEdit* field, KeyFilter filter)
    : QValidator(field), filter_(std::move(filter)), before_(field->text()) {
    field->setValidator(this);
    connect(field, &QLineEdit::textChanged, this, [this](const QString& text) { before_ = text; });
}

QValidator::State KeyFilterValidator::validate(QString& input, int& pos) const {
    if (input == before_) return Acceptable;
    // Characters taken out, wherever they were: backspace is always accepted.
    if (input.size() < before_.size()) {
        const qsizetype cut = before_.size() - input.size();
        qsizetype common = 0;
        while (common < input.size() && input[common] == before_[common]) ++common;
        if (before_.mid(common + cut) == input.mid(common)) return Acceptable;
    }
    // Anything else is taken as if its characters were typed one after the other.
    std::string typed;
    for (const QChar c : input) {
        if (c.unicode() > 0x7F || c.unicode() == static_cast<char16_t>(kBackspace)) return Invalid;
        const auto key = filter_(static_cast<char>(c.unicode()), typed);
        if (!key) return Invalid;
        typed += *key;
    }
    const QString filtered = QString::fromLatin1(typed.data(), static_cast<qsizetype>(typed.size()));
    if (filtered.size() != input.size()) pos = static_cast<int>(filtered.size());
    input = filtered;
    return Acceptable;
}

}  // namespace orv
