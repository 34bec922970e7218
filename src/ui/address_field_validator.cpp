#include "ui/address_field_validator.h"

#include <QLineEdit>
#include <string>

#include "tools/address_field.h"

namespace orv {
namespace {

qsizetype LeadingSpaces(const QString& text) {
    qsizetype n = 0;
    while (n < text.size() && text[n] == QLatin1Char(' ')) ++n;
    return n;
}

// `after` is `before` with one run of characters taken out.
bool IsDeletion(const QString& before, const QString& after) {
    if (after.size() >= before.size()) return false;
    qsizetype common = 0;
    while (common < after.size() && after[common] == before[common]) ++common;
    return before.mid(common + before.size() - after.size()) == after.mid(common);
}

}  // namespace

AddressFieldValidator::AddressFieldValidator(QLineEdit* field) : QValidator(field), before_(field->text()) {
    field->setValidator(this);
    connect(field, &QLineEdit::textChanged, this, [this](const QString& text) { before_ = text; });
}

QValidator::State AddressFieldValidator::validate(QString& input, int& pos) const {
    Q_UNUSED(pos);
    if (input == before_ || IsDeletion(before_, input)) return Acceptable;
    // The leading spaces a copied address carries may stay or go, but no new ones are typed.
    const qsizetype spaces = LeadingSpaces(input);
    if (spaces > LeadingSpaces(before_)) return Invalid;
    std::string typed(static_cast<std::size_t>(spaces), ' ');
    for (qsizetype i = spaces; i < input.size(); ++i) {
        const QChar c = input[i];
        if (c.unicode() > 0x7F) return Invalid;
        const auto key = FilterAddressKey(typed, static_cast<char>(c.unicode()));
        if (!key || *key == kBackspaceKey) return Invalid;
        typed += *key;
    }
    input = QString::fromLatin1(typed.data(), static_cast<qsizetype>(typed.size()));
    return Acceptable;
}

}  // namespace orv
