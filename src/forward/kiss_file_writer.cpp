#include "forward/kiss_file_writer.h"

#include "forward/kiss.h"

namespace orv {

bool KissFileWriter::Open(const std::filesystem::path& path, std::string& error) {
    if (file_.Open(path, error)) return true;
    lastError_ = error;
    return false;
}

bool KissFileWriter::Write(const ReceivedBlock& block) {
    frame_.clear();
    AppendKissFrame(frame_, block.bytes);
    if (file_.Append(frame_, sync_, lastError_)) {
        ++written_;
        return true;
    }
    ++failed_;
    return false;
}

}  // namespace orv
