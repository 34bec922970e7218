// What a live SDR stream costs the station: orv-cli station --rtl-tcp against the rtl_tcp server
// of tests/support, which streams a recording of the beacon (a block among idle symbols, the DC
// spike, noise) at the pace of the rate the station asks for. The station's CPU time (user +
// system, from /proc) over the wall time of the stream, as a share of one core; 2.4 MHz and, as
// the reference in the same run, 1.024 MHz.
// Run build/bench/iq/orv_iq_live_bench [seconds per rate, default 20].
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "iq_test_util.h"
#include "rtl_tcp_server.h"

extern char** environ;

namespace orv {
namespace {

// User + system CPU seconds of a process so far.
double CpuSeconds(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(in, line);
    std::istringstream fields(line.substr(line.rfind(')') + 2));
    std::string field;
    double ticks = 0.0;
    for (int i = 3; i <= 15 && fields >> field; ++i)
        if (i == 14 || i == 15) ticks += std::stod(field);
    return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

struct Run {
    double streamSeconds = 0.0;
    double cpuSeconds = 0.0;
    int blocks = 0;
};

Run Measure(double rate, double seconds) {
    const IqSynthOptions o{
        .sampleRate = rate, .beaconHz = -100000.0 + 2100.0, .driftHzPerSecond = 1.0, .esNoDb = 15.0, .dcLevel = 0.02
    };
    IqSynthesizer synth(o);
    std::vector<std::complex<float>> samples;
    synth.AppendIdle(200, samples);
    synth.AppendUncodedBlock(test::MakeBlock('A', 61), samples);
    synth.AppendIdle(static_cast<int>(std::max(0.0, seconds - 11.0) * 400.0), samples);
    std::vector<std::uint8_t> cu8;
    ComplexToIq(IqFormat::Cu8, samples, cu8);
    samples = {};
    test::RtlTcpServer server(cu8);

    char dir[] = "/tmp/orv_iq_live_XXXXXX";
    if (mkdtemp(dir) == nullptr) return {};
    const std::string settings = std::string(dir) + "/orv.ini";
    const std::string out = std::string(dir) + "/out";
    const std::string address = "127.0.0.1:" + std::to_string(server.Port());
    const std::string rateText = std::to_string(static_cast<long>(rate));
    std::vector<std::string> words = {ORV_CLI,     "--settings", settings,  "station",  "--rtl-tcp", address,
                                      "--frequency", "739850000", "--offset", "-100000", "--sdr-rate", rateText};
    std::vector<char*> argv;
    for (auto& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    if (posix_spawn(&pid, ORV_CLI, &actions, nullptr, argv.data(), environ) != 0) return {};
    posix_spawn_file_actions_destroy(&actions);

    using Clock = std::chrono::steady_clock;
    while (server.Connections() == 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const auto start = Clock::now();
    const double cpuAtStart = CpuSeconds(pid);
    while (!server.Streamed()) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    Run run;
    run.streamSeconds = std::chrono::duration<double>(Clock::now() - start).count();
    run.cpuSeconds = CpuSeconds(pid) - cpuAtStart;
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    std::ifstream lines(out);
    std::string line;
    while (std::getline(lines, line)) ++run.blocks;
    std::remove(out.c_str());
    std::remove(settings.c_str());
    rmdir(dir);
    return run;
}

}  // namespace
}  // namespace orv

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::max(12.0, std::atof(argv[1])) : 20.0;
    std::printf("| rate | stream | station CPU | share of one core | blocks |\n|---|---|---|---|---|\n");
    for (const double rate : {2400000.0, 1024000.0}) {
        const orv::Run run = orv::Measure(rate, seconds);
        std::printf("| %.3f MHz | %.1f s | %.2f s | %.1f %% | %d |\n", rate / 1e6, run.streamSeconds, run.cpuSeconds,
                    100.0 * run.cpuSeconds / run.streamSeconds, run.blocks);
        std::fflush(stdout);
    }
    return 0;
}
