#include "forward/kiss_file_writer.h"

#include "forward/kiss.h"

namespace orv {

bool KissFileWriter::Open(const std::filesystem::path& path, std::string& error) {
    if (file_.Open(path)) return true;
    error = lastError_ = file_.FailureText();
    return false;
}

bool KissFileWriter::Write(const ReceivedBlock& block) {
    frame_.clear();
    AppendKissFrame(frame_, block.bytes);
    // Not forced to the disk: a KISS file is a feed.
    if (file_.Append(frame_, false)) {
        ++written_;
        return true;
    }
    lastError_ = file_.FailureText();
    ++failed_;
    return false;
}

}  // namespace orv
