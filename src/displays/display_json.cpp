#include "displays/display_json.h"

#include <QJsonArray>
#include <QString>

#include "displays/display_listing.h"
#include "displays/matrix_content.h"

namespace orv {
namespace {

QString Text(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

QJsonObject FieldJson(const DisplayField& f) {
    QJsonObject o{{"id", Text(f.info.id)},           {"group", Text(f.info.group)},
                  {"caption", Text(f.info.caption)}, {"text", Text(f.text)},
                  {"colour", Text(ColourName(f.colour))}, {"hint", Text(f.info.hint)}};
    if (!f.info.subgroup.empty()) o.insert("subgroup", Text(f.info.subgroup));
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

QJsonObject TelemetryJson(const DisplayInput& input) {
    QJsonObject out;
    for (const auto& w : DisplayWindows()) out.insert(Text(w.name), DisplayWindowJson(w.name, input));
    return out;
}

}  // namespace orv
