#pragma once
// orv-cli station's forwarding options: KISS in and out, SiDS, MQTT.
#include <string>
#include <vector>

#include "app/cli/cli_args.h"
#include "station/forwarding_setup.h"

namespace orv::cli {

// The options' table entries, for the station's option table (and so --help and the man page).
std::vector<CliOption> ForwardingOptions();

// Reads the forwarding options of `a` into `setup`. False with `error` on a value it cannot use
// or an option without the one it belongs to.
bool ReadForwardingOptions(const CliArgs& a, ForwardingSetup& setup, std::string& error);

}  // namespace orv::cli
