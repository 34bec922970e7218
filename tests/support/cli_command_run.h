#pragma once
// Runs one orv-cli subcommand inside the test process, through the command table, so that a test
// reaches it without starting a program. Needs GoogleTest and the orv_cli_commands library.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "app/cli/command.h"
#include "cli_run.h"

namespace orv::test {

// Runs the subcommand `name` with `args` (the words after it, as `orv-cli name args...` passes
// them) and collects what it writes to stdout and stderr (at the file descriptor, so C and C++
// output alike). With no such command: a test failure and exitCode -1.
inline CliRun RunCliCommand(const std::string& name, std::vector<std::string> args) {
    for (const auto& c : cli::AllCommands()) {
        if (c.name != name) continue;
        ::testing::internal::CaptureStdout();
        ::testing::internal::CaptureStderr();
        CliRun r;
        r.exitCode = cli::RunCommand(c, args, 0, nullptr);
        r.out = ::testing::internal::GetCapturedStdout();
        r.err = ::testing::internal::GetCapturedStderr();
        return r;
    }
    ADD_FAILURE() << "no orv-cli command " << name;
    return {};
}

}  // namespace orv::test
