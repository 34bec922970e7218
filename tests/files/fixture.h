#pragma once
// Telemetry records, files and folders for the file tests, and records as an image.
#include <vector>

#include "file_contents.h"
#include "files/mapped_log_file.h"
#include "telemetry_records.h"
#include "temp_dir.h"

namespace orv::test {

inline MappedLogFile ImageOf(const std::vector<Block512>& blocks) { return MappedLogFile::FromBytes(Concat(blocks)); }

}  // namespace orv::test
