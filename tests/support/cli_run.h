#pragma once
// What one orv-cli command left behind: its exit code and what it wrote to stdout and stderr.
#include <string>

namespace orv::test {

struct CliRun {
    int exitCode = -1;  // -1: not run, or ended by a signal
    std::string out, err;
};

}  // namespace orv::test
