#include "app/cli/command.h"

namespace orv::cli {

std::vector<CliCommand> NetCommands() { return {}; }

}  // namespace orv::cli
