// Times a command against a reference, both as whole processes, in alternating pairs (reference,
// command, reference, command, ...) over several rounds, and prints one row of medians. With a
// start-up command (the program doing next to nothing) each round runs it too, between the two,
// and the command's time beyond start-up is printed as well.
//
//   orv_time_pairs [--rounds N] [--cold FILE] [--remove FILE] [--items N] LABEL -- REFERENCE... -- COMMAND...
//                  [-- START-UP...]
//
// --cold FILE   FILE is dropped from the page cache before every run (a cold start)
// --remove FILE FILE is removed before every run (an output both write, so neither replaces it)
// --items N     the command handles N items: its rate in millions per second is printed
//
// Columns: label | reference ms | command ms | reference / command (the command's speed as a share
// of the reference's) | start-up ms | command - start-up ms | reference / (command - start-up) |
// the command's peak memory MB | its first run ms | million items/s. Every figure is the median
// of the rounds (ratios and differences are taken round by round); the first run is counted like
// the others. Standard output and error go to /dev/null.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "process_timing.h"

namespace {

using orv::bench::Median;
using orv::bench::ProcessRun;
using orv::bench::RunProcess;

// Drops `path` from the page cache: written back first, then given up.
void DropFromCache(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    ::fdatasync(fd);
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    ::close(fd);
}

int Usage(const char* self) {
    std::fprintf(stderr,
                 "usage: %s [--rounds N] [--cold FILE] [--remove FILE] [--items N] LABEL -- REFERENCE... -- COMMAND... "
                 "[-- START-UP...]\n",
                 self);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    int rounds = 7;
    std::string cold, remove;
    double items = 0;
    std::string label;
    int at = 1;
    for (; at < argc && std::strcmp(argv[at], "--") != 0; ++at) {
        const std::string a = argv[at];
        const bool hasValue = at + 1 < argc;
        if (a == "--rounds" && hasValue) rounds = std::atoi(argv[++at]);
        else if (a == "--cold" && hasValue) cold = argv[++at];
        else if (a == "--remove" && hasValue) remove = argv[++at];
        else if (a == "--items" && hasValue) items = std::atof(argv[++at]);
        else if (label.empty()) label = a;
        else return Usage(argv[0]);
    }
    std::vector<std::string> reference, command, startUp;
    for (++at; at < argc && std::strcmp(argv[at], "--") != 0; ++at) reference.emplace_back(argv[at]);
    for (++at; at < argc && std::strcmp(argv[at], "--") != 0; ++at) command.emplace_back(argv[at]);
    for (++at; at < argc; ++at) startUp.emplace_back(argv[at]);
    if (label.empty() || reference.empty() || command.empty() || rounds < 1) return Usage(argv[0]);

    std::vector<double> ref, cmd, ratio, start, beyond, beyondRatio, peak, rate;
    double first = 0;
    const auto run = [&](const std::vector<std::string>& args) {
        if (!remove.empty()) ::unlink(remove.c_str());
        if (!cold.empty()) DropFromCache(cold);
        const ProcessRun r = RunProcess(args);
        if (!r.ok) {
            std::fprintf(stderr, "%s: \"%s\" failed\n", label.c_str(), args[0].c_str());
            std::exit(1);
        }
        return r;
    };
    for (int round = 0; round < rounds; ++round) {
        const ProcessRun r = run(reference);
        const ProcessRun s = startUp.empty() ? ProcessRun{} : run(startUp);
        const ProcessRun c = run(command);
        if (round == 0) first = c.seconds;
        ref.push_back(r.seconds);
        cmd.push_back(c.seconds);
        ratio.push_back(r.seconds / c.seconds);
        if (!startUp.empty()) {
            start.push_back(s.seconds);
            beyond.push_back(c.seconds - s.seconds);
            beyondRatio.push_back(r.seconds / (c.seconds - s.seconds));
        }
        peak.push_back(c.peakMegabytes);
        if (items > 0) rate.push_back(items / c.seconds / 1e6);
    }
    if (!remove.empty()) ::unlink(remove.c_str());
    const auto figure = [](const std::vector<double>& v, double scale, const char* format) {
        char text[32] = "";
        if (!v.empty()) std::snprintf(text, sizeof text, format, Median(v) * scale);
        return std::string(text);
    };
    std::printf("| %s | %s | %s | %s | %s | %s | %s | %s | %.1f | %s |\n", label.c_str(), figure(ref, 1e3, "%.1f").c_str(),
                figure(cmd, 1e3, "%.1f").c_str(), figure(ratio, 1, "%.2f").c_str(), figure(start, 1e3, "%.1f").c_str(),
                figure(beyond, 1e3, "%.1f").c_str(), figure(beyondRatio, 1, "%.2f").c_str(), figure(peak, 1, "%.0f").c_str(),
                first * 1e3, figure(rate, 1, "%.2f").c_str());
    std::fflush(stdout);
    return 0;
}
