#pragma once
// Runs orv-cli as a user runs it from a shell: a separate process, waited for, its exit code and
// everything it wrote to stdout and stderr collected. The test target defines ORV_CLI as the
// program's path.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <string>
#include <vector>

#include "cli_run.h"
#include "file_contents.h"
#include "temp_dir.h"

#ifndef ORV_CLI
#error "ORV_CLI must name the orv-cli program"
#endif

extern char** environ;

namespace orv::test {

// Runs `program args...` with no shell between (arguments are passed as they are, no quoting) and
// stdin from the file `input`, and waits for it to end. exitCode is -1 when it could not be
// started or did not exit normally (a signal). With `stdoutTo` (such as /dev/full) stdout goes
// there instead of being collected.
inline CliRun RunProgram(std::string program, const std::vector<std::string>& args,
                         const std::string& input = "/dev/null", const std::string& stdoutTo = {}) {
    TempDir streams;
    const std::string out = stdoutTo.empty() ? (streams / "stdout").string() : stdoutTo;
    const std::string err = (streams / "stderr").string();
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 0, input.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&files, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&files, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<std::string> words = args;
    std::vector<char*> argv;
    argv.push_back(program.data());
    for (auto& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, program.c_str(), &files, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&files);
    CliRun r;
    if (spawned != 0) {
        r.err = "cannot start " + program;
        return r;
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (stdoutTo.empty()) r.out = ReadText(out);
    r.err = ReadText(err);
    return r;
}

// Runs `orv-cli args...` the same way (stdin from /dev/null unless `input` names a file).
inline CliRun RunOrvCli(const std::vector<std::string>& args, const std::string& input = "/dev/null") {
    return RunProgram(ORV_CLI, args, input);
}

// Runs `orv-cli args...` with stdin from /dev/null and stdout going to the file `stdoutTo`.
inline CliRun RunOrvCliWithStdoutTo(const std::vector<std::string>& args, const std::string& stdoutTo) {
    return RunProgram(ORV_CLI, args, "/dev/null", stdoutTo);
}

}  // namespace orv::test
