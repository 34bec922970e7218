// The station's configuration file as an operator (or a broken editor) may leave it: arbitrary
// bytes read against the station's keys. What it accepts must read as a command line of them.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/cli/station_config.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::vector<orv::cli::CliOption> options = {
        {{"serial"}, "PATH", ""}, {{"data-dir"}, "DIR", ""}, {{"daily"}, "", ""}, {{"serve"}, "PORT", ""}};
    std::string error;
    const auto words = orv::cli::ConfigArgumentsFromText(
        std::string_view(reinterpret_cast<const char*>(data), size), "fuzz.conf", options, error);
    if (!words && error.empty()) std::abort();
    if (!words) return 0;
    // The words read as a command line: each an option of the table, a value after each option
    // that takes one.
    for (std::size_t i = 0; i < words->size();) {
        const orv::cli::CliOption* option = nullptr;
        for (const auto& o : options)
            if ("--" + o.names[0] == (*words)[i]) option = &o;
        if (option == nullptr) std::abort();
        i += option->valueName.empty() ? 1 : 2;
        if (i > words->size()) std::abort();
    }
    return 0;
}
