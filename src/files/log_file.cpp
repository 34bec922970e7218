#include "files/log_file.h"

#include <cstring>

#include "files/append_file.h"

namespace orv {
namespace {

AppendOutcome Failed(AppendOutcome out, const std::string& what, const AppendFile& file) {
    out.error = what + ": " + std::strerror(file.LastFailure().code);
    return out;
}

}  // namespace

AppendOutcome AppendRecordToFile(const std::filesystem::path& path, Record record, bool sync) {
    AppendOutcome out;
    AppendFile file;
    if (!file.Open(path)) return Failed(out, "cannot open the log file", file);
    std::uint64_t length = 0;
    if (!file.Length(length)) return Failed(out, "cannot read the log file length", file);
    out.fileLength = length;
    if (!IsWholeLength(length)) {
        const std::uint64_t whole = length / kRecordBytes * kRecordBytes;
        if (!file.Truncate(whole)) return Failed(out, "cannot cut the partial record at the end of the log file", file);
        out.strayBytes = length - whole;
        length = whole;
    }
    // One write of the whole record: a 512-byte append at a multiple of 512 lies within one
    // page, so it reaches the file whole or not at all.
    if (file.Append(record, sync)) {
        out.written = true;
    } else if (file.LastFailure().step == AppendFile::Step::Sync) {
        out = Failed(out, "cannot flush the log file", file);
    } else {
        out = Failed(out, file.LastFailure().tailStays ? "cannot write to the log file, and the partial record stays"
                                                       : "cannot write to the log file",
                     file);
    }
    file.Length(length);  // unchanged when it cannot be read
    out.fileLength = length;
    if (!file.Close() && out.written) {
        out.written = false;
        out = Failed(out, "cannot close the log file", file);
    }
    return out;
}

}  // namespace orv
