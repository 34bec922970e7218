#pragma once
// orv-cli station's forwarding options: KISS in and out, SiDS, MQTT.
#include <string>

#include "app/cli/cli_args.h"
#include "station/forwarding_setup.h"

namespace orv::cli {

inline constexpr const char* kForwardingUsage =
    "        [--kiss-serve PORT] [--kiss-out FILE] [--kiss-connect HOST:PORT] [--kiss-in FILE|-]\n"
    "        [--sids URL --callsign CALL --latitude DEG --longitude DEG [--norad-id N] [--sids-queue FILE]]\n"
    "        [--mqtt HOST:PORT [--mqtt-topic PREFIX] [--mqtt-user USER --mqtt-password-file FILE]]";

// Takes the forwarding options out of `a` into `setup`. False with `error` on a value it cannot
// use or an option without the one it belongs to.
bool TakeForwardingOptions(CliArgs& a, ForwardingSetup& setup, std::string& error);

}  // namespace orv::cli
