#pragma once
// The end of every orv-cli command: what it printed must have reached its standard output.
#include <string>

namespace orv::cli {

// Flushes the standard output (C and C++ streams). When anything printed could not be written
// (a full disk, a closed pipe, /dev/full), says so as "orv-cli COMMAND: ..." and gives 1 in place
// of a successful `exitCode`; otherwise gives `exitCode` back.
int FinishStandardOutput(const std::string& command, int exitCode);

}  // namespace orv::cli
