// orv-cli: a script over many files starts it once a file, so it starts small. The commands that
// need nothing beyond Qt Core and the plain cores (crcc, date, fec-encode, fec-decode, adc) run
// here; every other command, help, the version and the man page run in the program module
// orv-cli-commands.so, loaded only then with the station's libraries (Qt Network and
// SerialPort, the audio, MQTT and picture libraries).
#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <string>
#include <vector>

#include "app/cli/cli_args.h"
#include "app/cli/command.h"
#include "app/cli/standard_output.h"

using namespace orv::cli;

namespace {

std::vector<CliCommand> QuickCommands() {
    std::vector<CliCommand> quick = ReceptionCommands();
    for (CliCommand& c : FecCommands()) quick.push_back(std::move(c));
    return quick;
}

// The directory of this executable.
std::string ProgramDirectory() {
    char path[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return ".";
    const std::string exe(path, static_cast<std::size_t>(n));
    return exe.substr(0, exe.rfind('/'));
}

// Loads the program module (beside this executable in the build tree, ORV_MODULE_DIR relative to
// it when installed) and runs orv-cli's main there.
int RunInModule(int argc, char** argv) {
    const std::string directory = ProgramDirectory();
    std::string tried;
    for (const std::string& candidate :
         {directory + "/orv-cli-commands.so", directory + "/" + ORV_MODULE_DIR + "/orv-cli-commands.so"}) {
        void* module = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (module == nullptr) {
            tried += std::string("\n  ") + dlerror();
            continue;
        }
        auto* main = reinterpret_cast<int (*)(int, char**)>(dlsym(module, "orv_cli_main"));
        if (main != nullptr) return main(argc, argv);
        tried += "\n  " + candidate + " has no orv_cli_main";
    }
    std::fprintf(stderr, "orv-cli: the program module orv-cli-commands.so cannot be loaded:%s\n", tried.c_str());
    return kExitFailure;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> all(argv + 1, argv + argc);
    const std::size_t at = CommandWordAt(all);
    if (at < all.size()) {
        const std::vector<std::string> head(all.begin(), all.begin() + static_cast<long>(at));
        std::string error;
        const auto globals = CliArgs::Parse(ProgramOptions(), head, error);
        const bool plain = globals && !globals->Has("--help") && !globals->Has("--version") && !globals->Has("--manpage");
        for (const CliCommand& c : QuickCommands())
            if (plain && c.name == all[at]) {
                TakeGlobals(*globals);
                return FinishStandardOutput(c.name, RunCommand(c, {all.begin() + static_cast<long>(at) + 1, all.end()}, argc, argv));
            }
    }
    return RunInModule(argc, argv);
}
