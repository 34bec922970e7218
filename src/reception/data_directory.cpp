#include "reception/data_directory.h"

#include <cctype>
#include <system_error>

namespace orv {
namespace fs = std::filesystem;

namespace {

bool SameIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
    return true;
}

}  // namespace

fs::path TelemetryDirectory(const std::string& dataDirectory) {
    return fs::path(dataDirectory) / kTelemetrySubdirectory;
}

fs::path DspDirectory(const std::string& dataDirectory) {
    if (dataDirectory.empty()) return {};
    const fs::path data(dataDirectory);
    std::error_code error;
    if (!fs::is_directory(data / kDspSubdirectory, error)) {
        for (fs::directory_iterator it(data, error), end; !error && it != end; it.increment(error)) {
            if (it->is_directory(error) && SameIgnoringCase(it->path().filename().string(), kDspSubdirectory))
                return it->path();
        }
    }
    return data / kDspSubdirectory;
}

std::vector<DataDirectoryPart> DataDirectoryLayout(const std::string& dataDirectory) {
    const fs::path data(dataDirectory);
    // The messages name the subdirectories in the platform's form: "Orv\telemetry" on Windows.
    const std::string orv = std::string("Orv") + static_cast<char>(fs::path::preferred_separator);
    return {
        {data, "Indicated Orv main directory does not exist. \n   It will be created."},
        {data / kTelemetrySubdirectory,
         orv + std::string(kTelemetrySubdirectory) + " subdirectory does not exist. \n   It will be created."},
        {data / kDspSubdirectory, orv + "DSP subdirectory does not exist. \n   It will be created."},
    };
}

std::string DataDirectoryProblem(const fs::path& path, const std::string& reason) {
    return "The data directory cannot be used:\n" + fs::path(path).make_preferred().string() + "\n" + reason;
}

namespace {

enum class PartState { Present, Created, Failed };

// Makes one part of the layout a directory; `reason` says why it could not be.
PartState MakePart(const fs::path& path, std::string& reason) {
    std::error_code error;
    if (fs::is_directory(path, error)) return PartState::Present;
    if (fs::exists(fs::symlink_status(path, error))) {
        reason = "Not a directory";
        return PartState::Failed;
    }
    fs::create_directories(path, error);
    if (!error && fs::is_directory(path, error)) return PartState::Created;
    reason = error ? error.message() : std::string("Not a directory");
    return PartState::Failed;
}

}  // namespace

bool PrepareDataDirectory(const std::string& dataDirectory, const std::function<void(const std::string&)>& inform) {
    if (dataDirectory.empty()) return true;
    for (const DataDirectoryPart& part : DataDirectoryLayout(dataDirectory)) {
        std::string reason;
        const PartState state = MakePart(part.path, reason);
        if (state == PartState::Created) inform(part.missingMessage);
        if (state == PartState::Failed) {
            inform(DataDirectoryProblem(part.path, reason));
            return false;
        }
    }
    return true;
}

std::optional<std::string> MakeDataDirectory(const std::string& dataDirectory) {
    if (dataDirectory.empty()) return "Choose the data directory (\"Default Directory\"): the folder for the logs.";
    if (!fs::path(dataDirectory).is_absolute())
        return "The data directory must be a full path, not \"" + dataDirectory + "\": choose it with \"Browse...\".";
    for (const DataDirectoryPart& part : DataDirectoryLayout(dataDirectory)) {
        std::string reason;
        if (MakePart(part.path, reason) == PartState::Failed) return DataDirectoryProblem(part.path, reason);
    }
    return std::nullopt;
}

}  // namespace orv
