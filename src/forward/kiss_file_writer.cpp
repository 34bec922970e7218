#include "forward/kiss_file_writer.h"

namespace orv {

bool KissFileWriter::Open(const std::filesystem::path& path, std::string& error) {
    path_ = path;
    if (file_.Open(path)) return true;
    error = lastError_ = file_.FailureText();
    return false;
}

bool KissFileWriter::Reopen(std::string& error) {
    file_.Close();
    return Open(path_, error);
}

bool KissFileWriter::Write(const ReceivedBlock& block) {
    frame_.clear();
    if (!AppendKissBlock(frame_, block, options_)) return true;
    // Not forced to the disk: a KISS file is a feed.
    if (file_.Append(frame_, false)) {
        ++written_;
        return true;
    }
    lastError_ = file_.IsOpen() ? file_.FailureText() : "\"" + path_.string() + "\" is not open";
    ++failed_;
    return false;
}

}  // namespace orv
