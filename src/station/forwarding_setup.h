#pragma once
// What the headless station forwards, as its options give it, and starting it on a station.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "forward/kiss.h"
#include "forward/mqtt_publisher.h"
#include "forward/sids_form.h"
#include "forward/status_level.h"

namespace orv {

class Station;

struct ForwardingSetup {
    // KISS out: a TCP server (port 0: any free port) on an address (empty: all interfaces) and a
    // file appended to, both sending blocks as the options say.
    std::optional<std::uint16_t> kissServePort;
    std::string kissServeAddress;
    std::string kissOutFile;
    KissOutOptions kissOut;
    // KISS in: a TCP server to connect to, and a file or "-" for standard input.
    std::string kissConnectHost;
    std::uint16_t kissConnectPort = 0;
    std::string kissIn;
    // SiDS: the server's URL (empty: off), the station, the queue file (empty: "sids_queue" in
    // the data directory).
    std::string sidsUrl;
    SidsStation sids;
    std::string sidsQueueFile;
    // MQTT: on when a broker is given.
    std::optional<MqttOptions> mqtt;

    // A KISS input is the station's input (no serial port or relay link needed).
    bool HasKissInput() const { return !kissConnectHost.empty() || !kissIn.empty(); }
};

// Starts every part the setup names on the station's forwarding, and its KISS inputs; status
// lines go to `report`. The SiDS queue without a file of its own lives in `dataDirectory`. False,
// after reporting why (an error), when a part cannot start; the parts started are stopped again.
bool StartForwarding(const ForwardingSetup& setup, Station& station, const std::string& dataDirectory,
                     const std::function<void(StatusLevel, const std::string&)>& report);

}  // namespace orv
