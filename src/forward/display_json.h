#pragma once
// The display windows' content as JSON (Qt JSON): one window for `orv-cli show --json`, all five
// for each A block of `orv-cli station --json` and the MQTT telemetry. Each value field is
//   {"id", "group", "subgroup"?, "caption", "text", "value"?, "colour", "hint", "valueHint"?,
//    "graph"?: {"address", "title", "units"}}
// where "value" is the text as a JSON number, present only when the whole text (spaces around
// ignored) is a decimal number ("4.0", "-12", "17875"; not "11F4", "---" or "#12"). The IF matrix
// is {"window": "matrix", "inputs": [{"caption", "colour"}], "outputs": [...],
// "connections": [{"row", "column"}]}.
#include <QJsonObject>
#include <string_view>

#include "displays/display_content.h"

namespace orv {

// {"window": name, "fields": [...]} (or the matrix form) for the window called `window`
// ("status", "power", "temp", "nav", "matrix"); an empty object for any other name.
QJsonObject DisplayWindowJson(std::string_view window, const DisplayInput& input);

// {"status": {...}, "matrix": {...}, "nav": {...}, "power": {...}, "temp": {...}}: every
// window's content for one display block.
QJsonObject DisplaysJson(const DisplayInput& input);

}  // namespace orv
