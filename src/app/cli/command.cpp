#include "app/cli/command.h"

#include <iostream>

namespace orv::cli {

std::vector<CliCommand> AllCommands() {
    std::vector<CliCommand> all;
    for (auto group : {ReceptionCommands, FecCommands, AudioCommands, IqCommands, DisplayCommands, FileCommands, NetCommands, ToolCommands, SimCommands, DemoCommands}) {
        auto cmds = group();
        all.insert(all.end(), cmds.begin(), cmds.end());
    }
    return all;
}

namespace {
CliOption HelpOption() { return {{"h", "help"}, "", "show this help and exit"}; }
}  // namespace

CliPage CommandPage(const CliCommand& command) {
    CliPage page{"orv-cli " + command.name, command.usage, command.summary, command.options};
    page.options.push_back(HelpOption());
    return page;
}

CliPage ProgramPage() {
    std::string summary =
        "Command-line tools and headless station for AO-40 telemetry. Checks, FEC, displays, telemetry files, "
        "the headless station, the simulator and the DSP-93 loader, for AO-40 and the QO-100 beacon's 400-baud "
        "format. Run \"orv-cli COMMAND --help\" for a command's options. Commands:";
    for (const auto& c : AllCommands()) summary += " " + c.name + ",";
    summary.back() = '.';
    return {"orv-cli",
            "[--settings FILE] [--serial PATH] COMMAND [OPTIONS] [ARGS]",
            summary,
            {SettingsOption(), SerialOption(), HelpOption(), {{"V", "version"}, "", "print the version and exit"},
             {{"manpage"}, "", "print the man page (roff) and exit", true}}};
}

std::string ProgramManPage() {
    std::vector<CliPage> pages;
    for (const auto& c : AllCommands()) pages.push_back(CommandPage(c));
    return ManPage("orv-cli", ORV_VERSION, ORV_RELEASE_DATE, ProgramPage(), pages,
                   {{"EXIT STATUS", kExitStatusText},
                    {"FILES", "A lone \"-\" stands for standard input or output where a command reads or writes a "
                              "stream (crcc, adc, show, the output of export and filter, the input of filter and "
                              "export).\n\norv-cli station --config FILE reads its options from an INI file, one key "
                              "per option (data-dir = /var/lib/orv); options on the command line override it."},
                    {"SEE ALSO", "orv(1)"}});
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
