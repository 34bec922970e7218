#pragma once
// What the display windows show, as JSON objects (Qt JSON): each field with its group, caption,
// text and colour, and its value as a JSON number where the text is a decimal number.
#include <QJsonObject>
#include <string_view>
#include <vector>

#include "displays/display_content.h"
#include "displays/matrix_content.h"

namespace orv::cli {

// {"window": W, "fields": [{"id", "group", ["subgroup"], "caption", "text", "value"?, "colour",
// "hint", ["valueHint"], ["graph": {"address", "title", "units"}]}, ...]}. "value" is present
// only when the whole text (spaces around ignored) is a decimal number ("4.0", "-12", "17875").
QJsonObject FieldsJson(std::string_view window, const std::vector<DisplayField>& fields);

// {"window": "matrix", "inputs": [{"caption", "colour"}], "outputs": [...],
//  "connections": [{"row", "column"}]}.
QJsonObject MatrixJson(const MatrixContent& content);

// The five display windows of one A block, keyed "status", "power", "temp", "nav", "matrix".
QJsonObject DisplaysJson(const DisplayInput& input);

}  // namespace orv::cli
