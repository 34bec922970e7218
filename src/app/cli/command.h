#pragma once
// The orv-cli subcommand table. Each subsystem contributes its commands through one
// function below, defined in its own *_commands.cpp, so subsystems never edit each other's files.
#include <functional>
#include <string>
#include <vector>

namespace orv::cli {

struct CliCommand {
    std::string name;     // the subcommand word, e.g. "crcc"
    std::string usage;    // argument synopsis shown by --help, e.g. "FILE"
    std::string summary;  // one line for --help
    // Runs with the arguments after the subcommand word. argc/argv are the process's own,
    // for commands that need a Qt application object. Returns the exit code.
    std::function<int(std::vector<std::string> args, int argc, char** argv)> run;
};

std::vector<CliCommand> ReceptionCommands();
std::vector<CliCommand> FecCommands();
std::vector<CliCommand> AudioCommands();
std::vector<CliCommand> DisplayCommands();
std::vector<CliCommand> FileCommands();
std::vector<CliCommand> NetCommands();
std::vector<CliCommand> ToolCommands();
std::vector<CliCommand> SimCommands();
std::vector<CliCommand> DemoCommands();

// All subcommands, in the order --help lists them.
std::vector<CliCommand> AllCommands();

}  // namespace orv::cli
