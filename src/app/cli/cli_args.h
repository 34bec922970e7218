#pragma once
// The orv-cli command line: each subcommand's options are read by Qt's QCommandLineParser from
// the subcommand's option table, and handed to the subcommand as plain strings.
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/cli/command_line_text.h"

namespace orv::cli {

class CliArgs {
public:
    // Reads `args` (the words after the subcommand) against `options`. Options may come before,
    // between or after the arguments; "--name=VALUE" and "--name VALUE" both work; "--" ends the
    // options; a lone "-" is an argument (standard input or output). Returns nothing and sets
    // `error` (worded for the terminal) on an unknown option or a missing value.
    static std::optional<CliArgs> Parse(const std::vector<CliOption>& options, const std::vector<std::string>& args,
                                        std::string& error);

    // Whether the flag or option (given with its dashes: "--raw") was on the line.
    bool Has(const std::string& option) const;
    // The value of "--name VALUE"; the last one when it was given more than once.
    std::optional<std::string> Value(const std::string& option) const;
    // Every value of the option, in order.
    std::vector<std::string> Values(const std::string& option) const;
    // The option names (without dashes) in the order they were given, repeats included.
    const std::vector<std::string>& Order() const { return order_; }
    // The arguments that are not options, in order.
    const std::vector<std::string>& Rest() const { return rest_; }
    // The words as given to Parse.
    const std::vector<std::string>& Words() const { return words_; }

    // Reads a whole decimal integer; false on anything else.
    static bool ParseInt(const std::string& text, long long& value);

private:
    std::map<std::string, std::vector<std::string>> values_;  // flags map to an empty list
    std::vector<std::string> order_;
    std::vector<std::string> rest_;
    std::vector<std::string> words_;
};

// Whether "-h" or "--help" stands among `args` before a "--".
bool AsksForHelp(const std::vector<std::string>& args);

// Options every subcommand accepts before its name, and the subcommands that use them after it.
struct GlobalOptions {
    std::string settingsFile;  // --settings FILE: an INI file instead of the user's store
    std::string serialPath;    // --serial PATH: the serial device, overriding the settings
};

GlobalOptions& Globals();
CliOption SettingsOption();
CliOption SerialOption();
// Copies --settings and --serial given after a subcommand into Globals().
void TakeGlobals(const CliArgs& args);

// Whether `text` is an IPv4 or IPv6 address a server can listen on ("0.0.0.0", "127.0.0.1", "::").
bool IsListenAddress(const std::string& text);

}  // namespace orv::cli
