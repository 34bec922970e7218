#include "app/cli/command.h"

namespace orv::cli {

std::vector<CliCommand> AllCommands() {
    std::vector<CliCommand> all;
    for (auto group : {ReceptionCommands, FecCommands, AudioCommands, DisplayCommands, FileCommands, NetCommands, ToolCommands, SimCommands, DemoCommands}) {
        auto cmds = group();
        all.insert(all.end(), cmds.begin(), cmds.end());
    }
    return all;
}

}  // namespace orv::cli
