#include "app/cli/command.h"

namespace orv::cli {

std::vector<CliCommand> FileCommands() { return {}; }

}  // namespace orv::cli
