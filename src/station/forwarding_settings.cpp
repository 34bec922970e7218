#include "station/forwarding_settings.h"

#include <type_traits>

#include "net/wire.h"
#include "text/text_parse.h"

namespace orv {
namespace {

std::string Trim(const std::string& text) { return std::string(TrimSpaces(text)); }

// The store's names; they never change.
constexpr const char* kNames[] = {"KISS Serve",  "KISS Serve Port", "KISS Out",     "KISS Out File", "KISS Connect",
                                  "KISS Server", "SiDS",            "SiDS URL",     "Callsign",      "Latitude",
                                  "Longitude",   "NORAD ID",        "MQTT",         "MQTT Broker",   "MQTT Topic",
                                  "MQTT User",   "MQTT Password File", "KISS Good Only", "KISS Timestamps",
                                  "MQTT CA File", "MQTT Discovery"};

template <typename Visit>
void EachValue(ForwardingSettings& s, Visit visit) {
    visit(kNames[0], s.kissServeOn);
    visit(kNames[1], s.kissServePort);
    visit(kNames[2], s.kissOutOn);
    visit(kNames[3], s.kissOutFile);
    visit(kNames[4], s.kissConnectOn);
    visit(kNames[5], s.kissConnect);
    visit(kNames[6], s.sidsOn);
    visit(kNames[7], s.sidsUrl);
    visit(kNames[8], s.callsign);
    visit(kNames[9], s.latitude);
    visit(kNames[10], s.longitude);
    visit(kNames[11], s.noradId);
    visit(kNames[12], s.mqttOn);
    visit(kNames[13], s.mqttBroker);
    visit(kNames[14], s.mqttTopic);
    visit(kNames[15], s.mqttUser);
    visit(kNames[16], s.mqttPasswordFile);
    visit(kNames[17], s.kissGoodOnly);
    visit(kNames[18], s.kissTimestamps);
    visit(kNames[19], s.mqttCaFile);
    visit(kNames[20], s.mqttDiscovery);
}

bool ReadNumber(const std::string& text, long long low, long long high, long long& value) {
    const std::string t = Trim(text);
    if (t.empty() || t.size() > 9 || t.find_first_not_of("0123456789") != std::string::npos) return false;
    value = std::stoll(t);
    return value >= low && value <= high;
}

}  // namespace

ForwardingSettings ReadForwardingSettings(const KeyValueStore& store) {
    ForwardingSettings s;
    EachValue(s, [&](const char* name, auto& value) {
        const std::string text = store.Read(kForwardingKey, name);
        if (text.empty()) return;
        if constexpr (std::is_same_v<std::decay_t<decltype(value)>, bool>) value = text == "yes";
        else value = text;
    });
    return s;
}

void WriteForwardingSettings(KeyValueStore& store, const ForwardingSettings& settings) {
    ForwardingSettings s = settings;
    EachValue(s, [&](const char* name, auto& value) {
        if constexpr (std::is_same_v<std::decay_t<decltype(value)>, bool>) store.Write(kForwardingKey, name, value ? "yes" : "no");
        else store.Write(kForwardingKey, name, value);
    });
}

std::optional<ForwardingSetup> ForwardingSetupFrom(const ForwardingSettings& s, std::string& error) {
    ForwardingSetup setup;
    long long v = 0;
    if (s.kissServeOn) {
        if (!ReadNumber(s.kissServePort, 1, 65535, v)) {
            error = "KISS: the server port \"" + s.kissServePort + "\" is not 1..65535";
            return std::nullopt;
        }
        setup.kissServePort = static_cast<std::uint16_t>(v);
    }
    if (s.kissOutOn) {
        if (Trim(s.kissOutFile).empty()) {
            error = "KISS: the output file is empty";
            return std::nullopt;
        }
        setup.kissOutFile = Trim(s.kissOutFile);
    }
    setup.kissOut.goodOnly = s.kissGoodOnly;
    setup.kissOut.timestamps = s.kissTimestamps;
    if (s.kissConnectOn) {
        std::string reason;
        if (!ParseHostPort(Trim(s.kissConnect), setup.kissConnectHost, setup.kissConnectPort, &reason)) {
            error = "KISS: the server to read \"" + s.kissConnect + "\": " + reason;
            return std::nullopt;
        }
    }
    if (s.sidsOn) {
        setup.sidsUrl = Trim(s.sidsUrl);
        setup.sids.callsign = Trim(s.callsign);
        std::string reason;
        if (!ParseCoordinate(Trim(s.latitude), true, setup.sids.latitude, reason) ||
            !ParseCoordinate(Trim(s.longitude), false, setup.sids.longitude, reason)) {
            error = "SiDS: " + reason;
            return std::nullopt;
        }
        if (!ReadNumber(s.noradId, 1, 999999, v)) {
            error = "SiDS: the NORAD number \"" + s.noradId + "\" is not 1..999999";
            return std::nullopt;
        }
        setup.sids.noradId = static_cast<int>(v);
    }
    if (s.mqttOn) {
        MqttOptions o;
        std::string reason;
        if (!ParseHostPort(Trim(s.mqttBroker), o.host, o.port, &reason)) {
            error = "MQTT: the broker \"" + s.mqttBroker + "\": " + reason;
            return std::nullopt;
        }
        o.topicPrefix = Trim(s.mqttTopic);
        o.user = Trim(s.mqttUser);
        if (!o.user.empty() && !ReadPasswordFile(Trim(s.mqttPasswordFile), o.password, reason)) {
            error = "MQTT: " + reason;
            return std::nullopt;
        }
        o.caFile = Trim(s.mqttCaFile);
        o.discovery = s.mqttDiscovery;
        setup.mqtt = o;
    }
    return setup;
}

}  // namespace orv

#include "station/forwarding.h"
#include "station/station.h"

namespace orv {

std::string ApplyForwardingSettings(const ForwardingSettings& settings, Station& station,
                                    const std::function<void(const std::string&)>& report) {
    std::string error;
    const auto setup = ForwardingSetupFrom(settings, error);
    if (!setup) return error;
    station.forwarding().StopAll();
    station.StopKissInputs();
    if (StartForwarding(*setup, station, station.DataDirectory(), [&](StatusLevel level, const std::string& line) {
            if (level == StatusLevel::Error) error = line;
            report(line);
        }))
        return {};
    return error;
}

}  // namespace orv
