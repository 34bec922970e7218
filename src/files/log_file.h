#pragma once
// Appending one record to a telemetry log so that the file only ever holds whole records.
#include <cstdint>
#include <filesystem>
#include <string>

#include "files/mapped_log_file.h"

namespace orv {

struct AppendOutcome {
    bool written = false;           // the record is in the file
    std::uint64_t fileLength = 0;   // the file's length afterwards; 0 when it could not be read
    std::uint64_t strayBytes = 0;   // a torn partial record found at the end and cut off first
    std::string error;              // why the record is not in the file
};

// Opens `path` for appending (creating it), writes the 512 bytes in one append and closes it
// (an AppendFile). A short write is undone, so a crash, a full disk or a power cut leaves whole
// records only; with `sync` the record is on the disk when this returns, and a record that could
// not be flushed is cut off again. A file that ends in a partial
// record (left by an earlier crash of some other writer) is first cut back to its last whole
// record, since a record appended behind it would be out of step for every reader.
AppendOutcome AppendRecordToFile(const std::filesystem::path& path, Record record, bool sync);

}  // namespace orv
