#include "app/cli/forwarding_options.h"

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

bool TakeForwardingOptions(CliArgs& a, ForwardingSetup& setup, std::string& error) {
    const auto kissServe = a.TakeValue("--kiss-serve");
    const auto kissOut = a.TakeValue("--kiss-out");
    const auto kissConnect = a.TakeValue("--kiss-connect");
    const auto kissIn = a.TakeValue("--kiss-in");
    const auto sids = a.TakeValue("--sids");
    const auto callsign = a.TakeValue("--callsign");
    const auto latitude = a.TakeValue("--latitude");
    const auto longitude = a.TakeValue("--longitude");
    const auto norad = a.TakeValue("--norad-id");
    const auto sidsQueue = a.TakeValue("--sids-queue");
    const auto mqtt = a.TakeValue("--mqtt");
    const auto mqttTopic = a.TakeValue("--mqtt-topic");
    const auto mqttUser = a.TakeValue("--mqtt-user");
    const auto mqttPasswordFile = a.TakeValue("--mqtt-password-file");

    if (kissServe) {
        std::uint16_t port = 0;
        if (!Port("--kiss-serve", *kissServe, port, error)) return false;
        setup.kissServePort = port;
    }
    if (kissOut) {
        if (kissOut->empty()) return Refuse(error, "--kiss-out needs a file");
        setup.kissOutFile = *kissOut;
    }
    if (kissConnect && !HostPort("--kiss-connect", *kissConnect, setup.kissConnectHost, setup.kissConnectPort, error))
        return false;
    if (kissIn) {
        if (kissIn->empty()) return Refuse(error, "--kiss-in needs a file or - for standard input");
        setup.kissIn = *kissIn;
    }

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
        setup.mqtt = o;
    } else if (mqttTopic || mqttUser || mqttPasswordFile) {
        return Refuse(error, "--mqtt-topic, --mqtt-user and --mqtt-password-file belong to --mqtt");
    }
    return true;
}

}  // namespace orv::cli
