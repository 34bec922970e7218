#pragma once
// The configuration file of `orv-cli station --config FILE`: an INI file with one key per option,
// as the service unit uses it:
//   # the modem's serial device
//   serial = /dev/ttyUSB0
//   data-dir = /var/lib/orv
//   daily = true
// Keys may stand at the top or in a [station] section ([General] is the top, as Qt writes it).
// Lines starting with '#' or ';' are comments, blank lines are skipped, and a ';' after an
// unquoted value starts a comment; a value in double quotes keeps its ';' and spaces.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/cli/command_line_text.h"

namespace orv::cli {

// The file's options as command-line words ("--serial", "/dev/ttyUSB0", "--daily", ...), in the
// file's order, for a flag only when its value is true/yes/on/1. Nothing, with `error` set and
// naming the file, when the file cannot be read, a line is neither blank, a comment, a [section]
// nor key = value (the line number and the line, shortened, are named), the section is not
// [station] or [General], a key is not one of `options` (or is "config"), or a flag's value is
// not a yes or no.
std::optional<std::vector<std::string>> ConfigArguments(const std::string& path, const std::vector<CliOption>& options,
                                                        std::string& error);

// The same for the file's content `text`; `path` only names the file in messages.
std::optional<std::vector<std::string>> ConfigArgumentsFromText(std::string_view text, const std::string& path,
                                                                const std::vector<CliOption>& options,
                                                                std::string& error);

// A line longer than this is refused without being read to its end.
inline constexpr std::size_t kConfigLineLimit = 8192;

}  // namespace orv::cli
