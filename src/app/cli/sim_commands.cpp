#include "app/cli/command.h"

namespace orv::cli {

std::vector<CliCommand> SimCommands() { return {}; }

}  // namespace orv::cli
