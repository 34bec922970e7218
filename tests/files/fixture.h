#pragma once
// Telemetry records, files and folders for the file tests, and records as an image.
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "file_contents.h"
#include "files/mapped_log_file.h"
#include "telemetry_records.h"
#include "temp_dir.h"

namespace orv::test {

inline MappedLogFile ImageOf(const std::vector<Block512>& blocks) { return MappedLogFile::FromBytes(Concat(blocks)); }

// The bytes written to `path` and opened from there, as the commands open a log.
inline MappedLogFile FileImageOf(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    MappedLogFile image;
    std::string error;
    if (!WriteBytes(path, bytes) || !image.Open(path, error)) ADD_FAILURE() << "cannot open " << path << ": " << error;
    return image;
}

}  // namespace orv::test
