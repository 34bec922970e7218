#pragma once
// The desktop program's forwarding settings, kept in the "Forwarding" section of the settings
// store, and the setup they give. Each part has an on/off switch beside its values, so that
// switching a part off keeps what the operator typed.
#include <optional>
#include <string>

#include "reception/settings_store.h"
#include "station/forwarding_setup.h"

namespace orv {

inline constexpr const char* kForwardingKey = "Forwarding";

struct ForwardingSettings {
    bool kissServeOn = false;
    std::string kissServePort = "8001";
    bool kissOutOn = false;
    std::string kissOutFile;
    bool kissConnectOn = false;
    std::string kissConnect;          // HOST:PORT
    bool kissGoodOnly = false;        // KISS out: blocks with a good CRCC only
    bool kissTimestamps = false;      // KISS out: a timestamp frame before each block
    bool sidsOn = false;
    std::string sidsUrl = "https://db.satnogs.org/api/telemetry/";
    std::string callsign;
    std::string latitude;             // as typed: "52.0146", "52.0146N", "-33.9"
    std::string longitude;
    std::string noradId = "26609";
    bool mqttOn = false;
    std::string mqttBroker = "127.0.0.1:1883";
    std::string mqttTopic = "orv";
    std::string mqttUser;
    std::string mqttPasswordFile;
    std::string mqttCaFile;           // empty: no TLS
    bool mqttDiscovery = false;       // Home Assistant discovery
};

// Absent values read as the defaults above.
ForwardingSettings ReadForwardingSettings(const KeyValueStore& store);
void WriteForwardingSettings(KeyValueStore& store, const ForwardingSettings& settings);

// The setup of the parts that are on. Nothing, with what is wrong in `error` ("SiDS: the
// latitude ..."), when a value of a part that is on cannot be used.
std::optional<ForwardingSetup> ForwardingSetupFrom(const ForwardingSettings& settings, std::string& error);

}  // namespace orv

namespace orv {

class Station;

// Stops the station's forwarding and starts the parts the settings switch on. Empty when all
// started; otherwise why not (the parts before the failing one are stopped again).
std::string ApplyForwardingSettings(const ForwardingSettings& settings, Station& station,
                                    const std::function<void(const std::string&)>& report);

}  // namespace orv
