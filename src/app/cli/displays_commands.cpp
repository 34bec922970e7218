#include "app/cli/command.h"

namespace orv::cli {

std::vector<CliCommand> DisplayCommands() { return {}; }

}  // namespace orv::cli
