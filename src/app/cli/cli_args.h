#pragma once
// Small argument reader shared by the orv-cli subcommands.
#include <optional>
#include <string>
#include <vector>

namespace orv::cli {

class CliArgs {
public:
    explicit CliArgs(std::vector<std::string> args) : args_(std::move(args)) {}

    // Removes a flag such as "--raw"; true when it was present.
    bool TakeFlag(const std::string& flag);
    // Removes "--name VALUE" (or "--name=VALUE"); the value of the first occurrence.
    std::optional<std::string> TakeValue(const std::string& name);
    // Removes every "--name VALUE" occurrence, in order.
    std::vector<std::string> TakeAllValues(const std::string& name);
    // The arguments left over, in order.
    const std::vector<std::string>& Rest() const { return args_; }
    // An argument left over that starts with "--" (an unknown option), or empty.
    std::string UnknownOption() const;

    // Reads a whole decimal integer; false on anything else.
    static bool ParseInt(const std::string& text, long long& value);

    // Set when a value option had no value after it.
    const std::string& Error() const { return error_; }

private:
    std::vector<std::string> args_;
    std::string error_;
};

}  // namespace orv::cli

namespace orv::cli {

// Options every subcommand accepts, taken out before the subcommand runs.
struct GlobalOptions {
    std::string settingsFile;  // --settings FILE: an INI file instead of the user's store
    std::string serialPath;    // --serial PATH: the serial device, overriding the settings
};

GlobalOptions& Globals();

}  // namespace orv::cli
