#pragma once
// KISS out to a file: each block appended as whole KISS frames in one write, so another program can
// read the file while it grows (tail -f | decoder) and never meets half a frame.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "files/append_file.h"
#include "forward/kiss.h"
#include "reception/received_block.h"

namespace orv {

class KissFileWriter {
public:
    explicit KissFileWriter(KissOutOptions options = {}) : options_(options) {}

    // Opens (creating, appending to) `path`. False, with the reason in `error`.
    bool Open(const std::filesystem::path& path, std::string& error);
    // Closes the file and opens its path again: after logrotate moved it, frames go to a new
    // file under the old name. False, with the reason, when it cannot be opened; later writes
    // then fail until a reopening works.
    bool Reopen(std::string& error);
    void Close() { file_.Close(); }
    bool IsOpen() const { return file_.IsOpen(); }
    const std::filesystem::path& Path() const { return path_; }

    // Appends the block's frames (KissOutOptions; the transmitted bytes). False when they could
    // not be written: counted, the reason in LastError(), nothing partial stays in the file. A
    // block the options leave out is no failure.
    bool Write(const ReceivedBlock& block);

    std::uint64_t Written() const { return written_; }
    std::uint64_t Failed() const { return failed_; }
    const std::string& LastError() const { return lastError_; }

private:
    KissOutOptions options_;
    std::filesystem::path path_;
    AppendFile file_;
    std::vector<std::uint8_t> frame_;
    std::uint64_t written_ = 0;
    std::uint64_t failed_ = 0;
    std::string lastError_;
};

}  // namespace orv
