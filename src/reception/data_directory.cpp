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

bool PrepareDataDirectory(const std::string& dataDirectory, const std::function<void(const std::string&)>& inform) {
    if (dataDirectory.empty()) return true;
    bool allThere = true;
    for (const DataDirectoryPart& part : DataDirectoryLayout(dataDirectory)) {
        std::error_code error;
        fs::current_path(part.path, error);
        if (!error) continue;
        inform(part.missingMessage);
        fs::create_directories(part.path, error);
        if (error || !fs::is_directory(part.path)) {
            allThere = false;
            inform("Cannot create the directory\n" + fs::path(part.path).make_preferred().string() +
                   (error ? "\n" + error.message() : std::string()));
        }
    }
    return allThere;
}

}  // namespace orv
