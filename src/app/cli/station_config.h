#pragma once
// The configuration file of `orv-cli station --config FILE`: an INI file with one key per option,
// as the service unit uses it:
//   serial = /dev/ttyUSB0
//   data-dir = /var/lib/orv
//   daily = true
// Keys may stand at the top or in a [station] section; '#' and ';' start comments.
#include <optional>
#include <string>
#include <vector>

#include "app/cli/command_line_text.h"

namespace orv::cli {

// The file's options as command-line words ("--serial", "/dev/ttyUSB0", "--daily", ...), in the
// file's order, for a flag only when its value is true/yes/on/1. Nothing, with `error` set,
// when the file cannot be read, a key is not one of `options` (or is "config"), or a flag's
// value is not a yes or no.
std::optional<std::vector<std::string>> ConfigArguments(const std::string& path, const std::vector<CliOption>& options,
                                                        std::string& error);

}  // namespace orv::cli
