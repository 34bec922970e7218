#include "forward/display_json.h"

#include <QJsonArray>
#include <QString>
#include <charconv>
#include <optional>

#include "displays/display_listing.h"
#include "displays/matrix_content.h"

namespace orv {
namespace {

QString Text(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// The number a field's text shows: digits with an optional sign and decimal point only, so that
// hexadecimal counters ("11F4"), "---" and "#12" stay text.
std::optional<double> DecimalValue(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    if (text.empty()) return std::nullopt;
    bool digit = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') digit = true;
        else if (!(c == '.' || ((c == '-' || c == '+') && i == 0))) return std::nullopt;
    }
    if (!digit) return std::nullopt;
    if (text.front() == '+') text.remove_prefix(1);
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

QJsonObject FieldJson(const DisplayField& f) {
    QJsonObject o{{"id", Text(f.info.id)},           {"group", Text(f.info.group)},
                  {"caption", Text(f.info.caption)}, {"text", Text(f.text)},
                  {"colour", Text(ColourName(f.colour))}, {"hint", Text(f.info.hint)}};
    if (!f.info.subgroup.empty()) o.insert("subgroup", Text(f.info.subgroup));
    if (const auto value = DecimalValue(f.text)) o.insert("value", *value);
    if (!f.info.valueHint.empty()) o.insert("valueHint", Text(f.info.valueHint));
    if (f.info.graph)
        o.insert("graph", QJsonObject{{"address", f.info.graph->address},
                                      {"title", Text(f.info.graph->title)},
                                      {"units", Text(f.info.graph->units)}});
    return o;
}

QJsonArray LabelsJson(const std::vector<MatrixLabel>& labels) {
    QJsonArray out;
    for (const auto& l : labels) out.append(QJsonObject{{"caption", Text(l.caption)}, {"colour", Text(ColourName(l.colour))}});
    return out;
}

QJsonObject MatrixJson(const MatrixContent& content) {
    QJsonArray connections;
    for (const auto& c : content.connections)
        connections.append(QJsonObject{{"row", Text(kMatrixRowNames[static_cast<std::size_t>(c.row)])},
                                       {"column", Text(kMatrixColumnNames[static_cast<std::size_t>(c.column)])}});
    return {{"window", "matrix"},
            {"inputs", LabelsJson(content.inputs)},
            {"outputs", LabelsJson(content.outputs)},
            {"connections", connections}};
}

}  // namespace

QJsonObject DisplayWindowJson(std::string_view window, const DisplayInput& input) {
    const NamedDisplayWindow* w = FindDisplayWindow(window);
    if (w == nullptr) return {};
    if (w->fields == nullptr) return MatrixJson(MatrixFields(input));
    QJsonArray fields;
    for (const auto& f : w->fields(input)) fields.append(FieldJson(f));
    return {{"window", Text(w->name)}, {"fields", fields}};
}

QJsonObject DisplaysJson(const DisplayInput& input) {
    QJsonObject out;
    for (const auto& w : DisplayWindows()) out.insert(Text(w.name), DisplayWindowJson(w.name, input));
    return out;
}

}  // namespace orv
