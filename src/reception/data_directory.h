#pragma once
// The station's data directory ("Default Directory") and its two subdirectories: "telemetry" for
// every file the program writes except DSP programs, and "Dsp" for the DSP-93 programs. Every
// user of these paths asks here, so a changed setting is followed everywhere at once.
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace orv {

inline constexpr const char* kTelemetrySubdirectory = "telemetry";
inline constexpr const char* kDspSubdirectory = "Dsp";

// `dataDirectory` / "telemetry".
std::filesystem::path TelemetryDirectory(const std::string& dataDirectory);
// `dataDirectory` / "Dsp"; when that does not exist but a subdirectory of another letter case
// does ("dsp", "DSP"), that one. Empty for an empty data directory.
std::filesystem::path DspDirectory(const std::string& dataDirectory);

// One directory of the layout, in the order start-up checks them, with the message shown before
// a missing one is created.
struct DataDirectoryPart {
    std::filesystem::path path;
    std::string missingMessage;
};
std::vector<DataDirectoryPart> DataDirectoryLayout(const std::string& dataDirectory);

// Checks the layout in order and creates what is missing. `inform` gets the part's message before
// a missing directory is created, and a further message when it cannot be created. A directory
// counts as present when it can be made the current directory, so afterwards the current
// directory is the last part that existed. Does nothing for an empty data directory.
// Returns false when a part could not be created.
bool PrepareDataDirectory(const std::string& dataDirectory, const std::function<void(const std::string&)>& inform);

}  // namespace orv
