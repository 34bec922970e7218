#pragma once
// KISS out to a file: each block appended as one whole KISS data frame, so another program can
// read the file while it grows (tail -f | decoder) and never meets half a frame.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "files/append_file.h"
#include "reception/received_block.h"

namespace orv {

class KissFileWriter {
public:
    // Opens (creating, appending to) `path`. False, with the reason in `error`.
    bool Open(const std::filesystem::path& path, std::string& error);
    void Close() { file_.Close(); }
    bool IsOpen() const { return file_.IsOpen(); }

    // Appends the block's received bytes as one frame. A failure is counted and kept in
    // LastError(); nothing partial stays in the file.
    bool Write(const ReceivedBlock& block);

    std::uint64_t Written() const { return written_; }
    std::uint64_t Failed() const { return failed_; }
    const std::string& LastError() const { return lastError_; }

private:
    AppendFile file_;
    std::vector<std::uint8_t> frame_;
    std::uint64_t written_ = 0;
    std::uint64_t failed_ = 0;
    std::string lastError_;
};

}  // namespace orv
