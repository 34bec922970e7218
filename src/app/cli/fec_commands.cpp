#include "app/cli/command.h"

namespace orv::cli {

std::vector<CliCommand> FecCommands() { return {}; }

}  // namespace orv::cli
