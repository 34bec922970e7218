#pragma once
// The orv-cli subcommand table. Each subsystem contributes its commands through one
// function below, defined in its own *_commands.cpp, so subsystems never edit each other's files.
#include <functional>
#include <string>
#include <vector>

#include "app/cli/cli_args.h"

namespace orv::cli {

struct CliCommand {
    std::string name;     // the subcommand word, e.g. "crcc"
    std::string usage;    // argument synopsis shown by --help, e.g. "[OPTIONS] FILE"
    std::string summary;  // what the command does, for --help and the man page
    std::vector<CliOption> options;  // every option, each with its one-line explanation
    // Runs with the parsed command line. argc/argv are the process's own, for commands that
    // need a Qt application object. Returns the exit code (kExitOk, kExitFailure, kExitUsage).
    std::function<int(const CliArgs& args, int argc, char** argv)> run;
};

std::vector<CliCommand> ReceptionCommands();
std::vector<CliCommand> FecCommands();
std::vector<CliCommand> AudioCommands();
std::vector<CliCommand> IqCommands();
std::vector<CliCommand> DisplayCommands();
std::vector<CliCommand> FileCommands();
std::vector<CliCommand> NetCommands();
std::vector<CliCommand> ToolCommands();
std::vector<CliCommand> SimCommands();
std::vector<CliCommand> DemoCommands();

// All subcommands, in the order --help lists them.
std::vector<CliCommand> AllCommands();

// Runs `command` with the words after its name as orv-cli does: -h/--help anywhere prints its
// help (exit 0); options it does not know give a usage error (exit 2); else its own exit code.
int RunCommand(const CliCommand& command, const std::vector<std::string>& words, int argc, char** argv);

// The help page of a subcommand ("orv-cli NAME ...") and of orv-cli itself.
CliPage CommandPage(const CliCommand& command);
CliPage ProgramPage();
// The options of orv-cli itself, before the command word.
std::vector<CliOption> ProgramOptions();
// Where the command word stands in orv-cli's words: after orv-cli's own options
// (--settings FILE, --serial PATH, -V, ...); words.size() when there is none.
std::size_t CommandWordAt(const std::vector<std::string>& words);
// The orv-cli man page, made from the same pages as --help.
std::string ProgramManPage();

// "orv-cli CMD: PROBLEM" and "see orv-cli CMD --help" on stderr; returns kExitUsage.
int UsageError(const std::string& command, const std::string& problem);
// "orv-cli CMD: PROBLEM" on stderr; returns kExitFailure.
int Failure(const std::string& command, const std::string& problem);

}  // namespace orv::cli
