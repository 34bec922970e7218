// The table of every orv-cli subcommand and the pages made from it (--help, the man page).
#include "app/cli/command.h"

namespace orv::cli {

std::vector<CliCommand> AllCommands() {
    std::vector<CliCommand> all;
    for (auto group : {ReceptionCommands, FecCommands, AudioCommands, IqCommands, DisplayCommands, FileCommands, NetCommands, ToolCommands, SimCommands, DemoCommands}) {
        auto cmds = group();
        all.insert(all.end(), cmds.begin(), cmds.end());
    }
    return all;
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
            ProgramOptions()};
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

}  // namespace orv::cli
