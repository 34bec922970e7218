// orv-cli: the station's core from the command line.
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "app/cli/cli_args.h"
#include "app/cli/command.h"
#include "app/cli/standard_output.h"

namespace {

void PrintHelp() {
    std::cout << "Usage: orv-cli [--settings FILE] [--serial PATH] COMMAND [ARGS...]\n\n"
                 "Ground-station tools for AO-40 telemetry. Commands:\n";
    for (const auto& c : orv::cli::AllCommands()) {
        std::string head = "  " + c.name + " " + c.usage;
        std::cout << head << "\n      " << c.summary << "\n";
    }
    std::cout << "\nGlobal options:\n"
                 "  --settings FILE   keep settings in FILE (INI) instead of the user's store\n"
                 "  --serial PATH     serial device to use, overriding the \"Com Port No.\" setting\n";
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    orv::cli::CliArgs global(args);
    if (auto v = global.TakeValue("--settings")) orv::cli::Globals().settingsFile = *v;
    if (auto v = global.TakeValue("--serial")) orv::cli::Globals().serialPath = *v;
    args = global.Rest();
    if (!global.Error().empty()) {
        std::cerr << "orv-cli: " << global.Error() << "\n";
        return 2;
    }
    if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        PrintHelp();
        return args.empty() ? 2 : 0;
    }
    if (args[0] == "--version") {
        std::cout << "orv-cli " << ORV_VERSION << "\n";
        return 0;
    }
    for (const auto& c : orv::cli::AllCommands()) {
        if (c.name == args[0]) {
            std::vector<std::string> rest(args.begin() + 1, args.end());
            if (!rest.empty() && (rest[0] == "--help" || rest[0] == "-h")) {
                std::cout << "Usage: orv-cli " << c.name << " " << c.usage << "\n" << c.summary << "\n";
                return 0;
            }
            return orv::cli::FinishStandardOutput(c.name, c.run(rest, argc, argv));
        }
    }
    std::cerr << "orv-cli: unknown command \"" << args[0] << "\" (see orv-cli --help)\n";
    return 2;
}
