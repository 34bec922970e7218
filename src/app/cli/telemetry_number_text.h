#pragma once
// Telemetry addresses and masks on the command line: "0x1A7" as well as the windows' "#1A7" and
// decimal "423".
#include <string>

namespace orv::cli {

// "0x1A7" or "0X1a7" becomes "#1a7" (the form the windows' fields read); anything else is
// returned as it is, to be judged by the same rules as the fields.
inline std::string TelemetryNumberText(const std::string& text) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) return "#" + text.substr(2);
    return text;
}

}  // namespace orv::cli
