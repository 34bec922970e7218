#pragma once
// The JSON messages of the telemetry outputs (MQTT):
//   block:     {"time": "2026-12-10T02:24:39Z", "kind": "A", "verdict": "OK", "fec": false,
//               "live": true, "hex": "4120..."}   hex: the bytes as received (1028 or 1024 digits)
//   telemetry: {"time", "kind", "verdict", "windows": {"status": ..., "matrix": ..., "nav": ...,
//               "power": ..., "temp": ...}}   the five display windows' content (display_json.h)
#include <QByteArray>
#include <QJsonObject>

#include "forward/received_block.h"

namespace orv {

QJsonObject BlockJson(const ReceivedBlock& block);

// Telemetry is decoded from A blocks that did not fail their CRCC (a 512-byte block has no
// check and is taken as it is); for any other block this is an empty object.
bool HasTelemetry(const ReceivedBlock& block);
QJsonObject BlockTelemetryJson(const ReceivedBlock& block);

// Compact UTF-8 text of a JSON object, as published.
QByteArray JsonText(const QJsonObject& object);

}  // namespace orv
