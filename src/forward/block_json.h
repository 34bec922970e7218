#pragma once
// The JSON of a completed block, as the station publishes it:
//   block (MQTT PREFIX/block):
//     {"time": "2026-12-10T02:24:39Z", "kind": "A", "verdict": "OK", "fec": false, "live": true,
//      "hex": "4120..."}   hex: the bytes as received (1028 or 1024 digits; for a block rebuilt
//      from an FEC frame, "fec": true, the rebuilt block)
//   telemetry (`orv-cli station --json`, one per line; MQTT PREFIX/telemetry):
//     {"time": "2026-12-10T02:24:39Z", "kind": "A", "crcc": "OK",
//      "header_time": "2003-12-30 14:05:09", "displays": {"status": {...}, "matrix": {...},
//      "nav": {...}, "power": {...}, "temp": {...}}}
//     "header_time" and "displays" (display_json.h) only for A blocks; over MQTT also "live", as
//     in the block message.
// "kind" is the block's first byte as a character, or its decimal code when it is not printable.
#include <QByteArray>
#include <QJsonObject>
#include <cstdint>
#include <string_view>

#include "reception/received_block.h"

namespace orv {

QJsonObject BlockJson(const ReceivedBlock& block);

// block: 514 bytes (block + CRCC) or 512, a trailing failed mark allowed; verdict: the receiver's
// CRCC label ("OK", "FAIL", "NA"); utcSeconds: the reception time, seconds since 1970.
QJsonObject BlockTelemetryJson(ConstBytes block, std::string_view verdict, std::int64_t utcSeconds);

// MQTT publishes telemetry for A blocks that did not fail their CRCC (a 512-byte block has no
// check and is taken as it is), with "live"; for any other block BlockTelemetryJson is an empty
// object.
bool HasTelemetry(const ReceivedBlock& block);
QJsonObject BlockTelemetryJson(const ReceivedBlock& block);

// Compact UTF-8 text of a JSON object, one line, as published.
QByteArray JsonText(const QJsonObject& object);

}  // namespace orv
