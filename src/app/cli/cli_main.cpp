// orv-cli with every command: the program module the launcher (cli_launcher.cpp) loads for the
// commands it does not run itself, and for help, the version and the man page.
#include <iostream>
#include <string>
#include <vector>

#include "app/cli/cli_args.h"
#include "app/cli/cli_main.h"
#include "app/cli/command.h"
#include "app/cli/standard_output.h"

namespace orv::cli {

int OrvCliMain(int argc, char** argv) {
    const std::vector<std::string> all(argv + 1, argv + argc);
    // The options before the command word belong to orv-cli itself.
    const std::size_t at = CommandWordAt(all);
    const std::vector<std::string> head(all.begin(), all.begin() + static_cast<long>(at));
    const CliPage program = ProgramPage();
    std::string error;
    const auto globals = CliArgs::Parse(program.options, head, error);
    if (!globals) {
        std::cerr << "orv-cli: " << error << " (see orv-cli --help)\n";
        return kExitUsage;
    }
    TakeGlobals(*globals);
    if (globals->Has("--manpage")) {
        std::cout << ProgramManPage();
        return kExitOk;
    }
    if (globals->Has("--version")) {
        std::cout << "orv-cli " << ORV_VERSION << "\n";
        return kExitOk;
    }
    const std::vector<std::string> rest(all.begin() + static_cast<long>(at), all.end());
    if (globals->Has("--help") || (rest.empty() ? false : rest[0] == "help" && rest.size() == 1)) {
        std::cout << HelpText(program);
        return kExitOk;
    }
    if (rest.empty()) {
        std::cerr << HelpText(program);
        return kExitUsage;
    }
    for (const auto& c : AllCommands()) {
        if (c.name == rest[0]) return FinishStandardOutput(c.name, RunCommand(c, {rest.begin() + 1, rest.end()}, argc, argv));
    }
    std::cerr << "orv-cli: unknown command \"" << rest[0] << "\" (see orv-cli --help)\n";
    return kExitUsage;
}

}  // namespace orv::cli

extern "C" int orv_cli_main(int argc, char** argv) { return orv::cli::OrvCliMain(argc, argv); }
