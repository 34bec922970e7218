#include "app/cli/standard_output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

namespace orv::cli {

int FinishStandardOutput(const std::string& command, int exitCode) {
    std::cout.flush();
    errno = 0;
    const bool written = std::fflush(stdout) == 0 && !std::ferror(stdout) && std::cout.good();
    if (written) return exitCode;
    const int error = errno;
    std::cerr << "orv-cli " << command << ": cannot write the standard output"
              << (error != 0 ? std::string(": ") + std::strerror(error) : std::string()) << "\n";
    return exitCode == 0 ? 1 : exitCode;
}

}  // namespace orv::cli
