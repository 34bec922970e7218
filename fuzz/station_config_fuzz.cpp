// The station's configuration file as an operator (or a broken editor) may leave it: arbitrary
// bytes read against the station's keys. Every key found must be one of them.
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
    if (words)
        for (std::size_t i = 0; i < words->size(); ++i)
            if ((*words)[i].starts_with("--serial") && i + 1 == words->size()) std::abort();
    return 0;
}
