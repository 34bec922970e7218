#include "app/cli/command.h"

#include <algorithm>
#include <iostream>

namespace orv::cli {

namespace {
CliOption HelpOption() { return {{"h", "help"}, "", "show this help and exit"}; }
}  // namespace

CliPage CommandPage(const CliCommand& command) {
    CliPage page{"orv-cli " + command.name, command.usage, command.summary, command.options};
    page.options.push_back(HelpOption());
    return page;
}

std::vector<CliOption> ProgramOptions() {
    return {SettingsOption(), SerialOption(), HelpOption(), {{"V", "version"}, "", "print the version and exit"},
            {{"manpage"}, "", "print the man page (roff) and exit", true}};
}

std::size_t CommandWordAt(const std::vector<std::string>& words) {
    std::size_t at = 0;
    while (at < words.size() && words[at].size() > 1 && words[at][0] == '-') {
        const bool takesValue = words[at] == "--settings" || words[at] == "--serial";
        at += takesValue ? 2 : 1;
    }
    return std::min(at, words.size());
}

int RunCommand(const CliCommand& command, const std::vector<std::string>& words, int argc, char** argv) {
    const CliPage page = CommandPage(command);
    if (AsksForHelp(words)) {
        std::cout << HelpText(page);
        return kExitOk;
    }
    std::string error;
    const auto args = CliArgs::Parse(page.options, words, error);
    if (!args) return UsageError(command.name, error);
    TakeGlobals(*args);
    return command.run(*args, argc, argv);
}

int UsageError(const std::string& command, const std::string& problem) {
    std::cerr << "orv-cli " << command << ": " << problem << " (see orv-cli " << command << " --help)\n";
    return kExitUsage;
}

int Failure(const std::string& command, const std::string& problem) {
    std::cerr << "orv-cli " << command << ": " << problem << "\n";
    return kExitFailure;
}

}  // namespace orv::cli
