#pragma once
// The display windows' content as JSON: one window for `orv-cli show --json`, all five for the
// station's telemetry output (MQTT). Each value field is
//   {"id", "group", "subgroup"?, "caption", "text", "colour", "hint", "valueHint"?,
//    "graph"?: {"address", "title", "units"}}
// and the IF matrix is {"inputs": [{"caption", "colour"}], "outputs": [...],
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
QJsonObject TelemetryJson(const DisplayInput& input);

}  // namespace orv
