#include "app/cli/forwarding_options.h"

#include <fstream>

#include "net/wire.h"

namespace orv::cli {
namespace {

bool Refuse(std::string& error, std::string message) {
    error = std::move(message);
    return false;
}

bool Port(const std::string& option, const std::string& text, std::uint16_t& port, std::string& error) {
    long long v = 0;
    if (CliArgs::ParseInt(text, v) && v >= 0 && v <= 65535) {
        port = static_cast<std::uint16_t>(v);
        return true;
    }
    error = option + " \"" + text + "\" is not a port 0..65535";
    return false;
}

bool HostPort(const std::string& option, const std::string& text, std::string& host, std::uint16_t& port,
              std::string& error) {
    std::string reason;
    if (ParseHostPort(text, host, port, &reason)) return true;
    error = option + ": " + reason;
    return false;
}

bool Coordinate(const std::string& option, const std::optional<std::string>& text, bool latitude, double& degrees,
                std::string& error) {
    if (!text) {
        error = "--sids needs " + option;
        return false;
    }
    std::string reason;
    if (ParseCoordinate(*text, latitude, degrees, reason)) return true;
    error = option + " \"" + *text + "\": " + reason;
    return false;
}

}  // namespace

std::vector<CliOption> ForwardingOptions() {
    return {
        {{"kiss-serve"}, "PORT", "serve every block as a KISS frame to TCP clients on PORT (all interfaces, or "
                                 "--bind): 514 or 512 bytes, or an FEC frame's 256 data bytes"},
        {{"kiss-out"}, "FILE", "append every block as a KISS frame to FILE (SIGHUP reopens it)"},
        {{"kiss-good-only"}, "", "with --kiss-serve or --kiss-out: leave out blocks whose CRCC failed"},
        {{"kiss-timestamps"}, "", "with --kiss-serve or --kiss-out: a timestamp frame (command 9, as gr-satellites "
                                  "writes it) before each block"},
        {{"kiss-connect"}, "HOST:PORT", "receive KISS frames (512 or 514 bytes, or an FEC frame's 256 data bytes, "
                                        "with gr-satellites' timestamps) from a KISS server; reconnects after 5 s"},
        {{"kiss-in"}, "FILE", "receive KISS frames from FILE, or - for standard input; blocks without a timestamp "
                              "frame are not live; alone, the station ends at its end"},
        {{"sids"}, "URL", "submit each live block with a good CRCC to a SiDS telemetry server (e.g. "
                          "https://db.satnogs.org/api/telemetry/)"},
        {{"callsign"}, "CALL", "with --sids: the station's callsign"},
        {{"latitude"}, "DEG", "with --sids: the station's latitude (52.0146, 52.0146N, -33.9)"},
        {{"longitude"}, "DEG", "with --sids: the station's longitude (4.3647E, -71.1)"},
        {{"norad-id"}, "N", "with --sids: the NORAD number (26609 AO-40, default; 43700 QO-100 beacon)"},
        {{"sids-queue"}, "FILE", "with --sids: the queue file (default: sids_queue in the data directory)"},
        {{"mqtt"}, "HOST:PORT", "publish every block (PREFIX/block), the A blocks' values (PREFIX/telemetry, "
                                "retained) and online/offline (PREFIX/status) to an MQTT broker"},
        {{"mqtt-topic"}, "PREFIX", "with --mqtt: the topic prefix (default: orv)"},
        {{"mqtt-user"}, "USER", "with --mqtt: log in as USER"},
        {{"mqtt-password-file"}, "FILE", "with --mqtt-user: the password, the first line of FILE"},
        {{"mqtt-cafile"}, "FILE", "with --mqtt: connect over TLS and check the broker's certificate against the "
                                  "CA certificates in FILE"},
        {{"mqtt-discovery"}, "", "with --mqtt: Home Assistant discovery messages for the battery, solar array and "
                                 "temperature sensors"},
    };
}

bool ReadForwardingOptions(const CliArgs& a, ForwardingSetup& setup, std::string& error) {
    const auto kissServe = a.Value("--kiss-serve");
    const auto kissOut = a.Value("--kiss-out");
    const auto kissConnect = a.Value("--kiss-connect");
    const auto kissIn = a.Value("--kiss-in");
    const auto sids = a.Value("--sids");
    const auto callsign = a.Value("--callsign");
    const auto latitude = a.Value("--latitude");
    const auto longitude = a.Value("--longitude");
    const auto norad = a.Value("--norad-id");
    const auto sidsQueue = a.Value("--sids-queue");
    const auto mqtt = a.Value("--mqtt");
    const auto mqttTopic = a.Value("--mqtt-topic");
    const auto mqttUser = a.Value("--mqtt-user");
    const auto mqttPasswordFile = a.Value("--mqtt-password-file");
    const auto mqttCaFile = a.Value("--mqtt-cafile");
    const bool mqttDiscovery = a.Has("--mqtt-discovery");

    if (kissServe) {
        std::uint16_t port = 0;
        if (!Port("--kiss-serve", *kissServe, port, error)) return false;
        setup.kissServePort = port;
    }
    if (kissOut) {
        if (kissOut->empty() || *kissOut == "-") return Refuse(error, "--kiss-out needs a file (standard output carries the block lines)");
        setup.kissOutFile = *kissOut;
    }
    if (kissConnect && !HostPort("--kiss-connect", *kissConnect, setup.kissConnectHost, setup.kissConnectPort, error))
        return false;
    if (kissIn) {
        if (kissIn->empty()) return Refuse(error, "--kiss-in needs a file or - for standard input");
        setup.kissIn = *kissIn;
    }
    setup.kissOut.goodOnly = a.Has("--kiss-good-only");
    setup.kissOut.timestamps = a.Has("--kiss-timestamps");
    if ((setup.kissOut.goodOnly || setup.kissOut.timestamps) && !kissServe && !kissOut)
        return Refuse(error, "--kiss-good-only and --kiss-timestamps belong to --kiss-serve or --kiss-out");

    if (sids) {
        setup.sidsUrl = *sids;
        if (!callsign || callsign->empty()) return Refuse(error, "--sids needs --callsign CALL");
        setup.sids.callsign = *callsign;
        if (!Coordinate("--latitude", latitude, true, setup.sids.latitude, error) ||
            !Coordinate("--longitude", longitude, false, setup.sids.longitude, error))
            return false;
        if (norad) {
            long long v = 0;
            if (!CliArgs::ParseInt(*norad, v) || v < 1 || v > 999999)
                return Refuse(error, "--norad-id \"" + *norad + "\" is not a catalogue number 1..999999");
            setup.sids.noradId = static_cast<int>(v);
        }
        if (sidsQueue) setup.sidsQueueFile = *sidsQueue;
    } else if (callsign || latitude || longitude || norad || sidsQueue) {
        return Refuse(error, "--callsign, --latitude, --longitude, --norad-id and --sids-queue belong to --sids");
    }

    if (mqtt) {
        MqttOptions o;
        if (!HostPort("--mqtt", *mqtt, o.host, o.port, error)) return false;
        if (mqttTopic) o.topicPrefix = *mqttTopic;
        if (mqttUser.has_value() != mqttPasswordFile.has_value())
            return Refuse(error, "--mqtt-user and --mqtt-password-file go together");
        if (mqttUser) {
            o.user = *mqttUser;
            if (!ReadPasswordFile(*mqttPasswordFile, o.password, error)) return false;
        }
        if (mqttCaFile) {
            if (mqttCaFile->empty() || !std::ifstream(*mqttCaFile))
                return Refuse(error, "--mqtt-cafile: cannot read the CA file \"" + *mqttCaFile + "\"");
            o.caFile = *mqttCaFile;
        }
        o.discovery = mqttDiscovery;
        setup.mqtt = o;
    } else if (mqttTopic || mqttUser || mqttPasswordFile || mqttCaFile || mqttDiscovery) {
        return Refuse(error,
                      "--mqtt-topic, --mqtt-user, --mqtt-password-file, --mqtt-cafile and --mqtt-discovery belong to --mqtt");
    }
    return true;
}

}  // namespace orv::cli
