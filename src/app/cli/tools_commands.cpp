#include "app/cli/command.h"

namespace orv::cli {

std::vector<CliCommand> ToolCommands() { return {}; }

}  // namespace orv::cli
