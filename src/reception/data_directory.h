#pragma once
// The station's data directory ("Default Directory") and its two subdirectories: "telemetry" for
// every file the program writes except DSP programs, and "Dsp" for the DSP-93 programs. Every
// user of these paths asks here, so a changed setting is followed everywhere at once.
#include <filesystem>
#include <functional>
#include <optional>
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

// Checks the layout in order and creates what is missing; the process's current directory is
// never changed. `inform` gets the part's message for each missing directory it created. A part
// that cannot be created, or that is something other than a directory, gets one message
// (DataDirectoryProblem) and the parts after it are not tried. Does nothing for an empty data
// directory. Returns false when a part could not be made.
bool PrepareDataDirectory(const std::string& dataDirectory, const std::function<void(const std::string&)>& inform);

// The same for Setup's "Save", which asks nothing: what is missing is created, and the one message
// for the operator is returned when the directory cannot be used: none is given, it is not a full
// path (the files would land wherever the program was started), or a part cannot be made.
std::optional<std::string> MakeDataDirectory(const std::string& dataDirectory);

// "The data directory cannot be used:" with the directory and the system's reason.
std::string DataDirectoryProblem(const std::filesystem::path& path, const std::string& reason);

}  // namespace orv
