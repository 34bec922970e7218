#pragma once
// Home Assistant's MQTT discovery for a station's MQTT output: one retained config message per
// sensor on DISCOVERY/sensor/NODE/OBJECT/config, so that a Home Assistant user sees the battery
// voltages, the battery and solar array currents and a few temperatures without writing YAML.
// Each sensor reads its value from the retained PREFIX/telemetry message (block_json.h) with a
// value template, and follows PREFIX/status ("online", "offline") for its availability:
//   {"name": "Main battery voltage", "unique_id": "orv_dl1abc_ao40_power_bat_main",
//    "object_id": ..., "state_topic": "dl1abc/ao40/telemetry", "value_template": "{% set f = ... %}",
//    "unit_of_measurement": "V", "device_class": "voltage", "state_class": "measurement",
//    "availability_topic": "dl1abc/ao40/status", "payload_available": "online",
//    "payload_not_available": "offline", "device": {"identifiers": ["orv_dl1abc_ao40"],
//    "name": "Orv dl1abc/ao40", "manufacturer": "Orv", "model": "AO-40 telemetry", "sw_version": "0.1.0"}}
// A value the block does not give as a number renders as "None", which Home Assistant shows as
// unknown.
#include <QByteArray>
#include <string>
#include <vector>

namespace orv {

inline constexpr const char* kHomeAssistantPrefix = "homeassistant";

struct DiscoveryMessage {
    std::string topic;
    QByteArray payload;
};

// The config messages for a station publishing under `topicPrefix`.
std::vector<DiscoveryMessage> HomeAssistantDiscovery(const std::string& topicPrefix,
                                                     const std::string& discoveryPrefix = kHomeAssistantPrefix);

// The topic prefix as a discovery node id: every character but A-Z a-z 0-9 _ - becomes '_'.
std::string DiscoveryNodeId(const std::string& topicPrefix);

}  // namespace orv
