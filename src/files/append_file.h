#pragma once
// A file that only grows by whole pieces (a log record, a KISS frame, a journal line): each
// Append writes its bytes at the end and undoes a short write, so a full disk, a crash or kill -9
// never leaves half a piece behind for the next reader.
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

namespace orv {

class AppendFile {
public:
    // What failed last: the step and the system's error number. Callers word their own message
    // from it, or take FailureText().
    enum class Step { Open, NotOpen, Length, Cut, Write, Sync, Close };
    struct Failure {
        Step step = Step::Open;
        int code = 0;            // errno
        bool tailStays = false;  // Write or Sync: the file could not be cut back, part of the piece stays
    };

    AppendFile() = default;
    ~AppendFile();
    AppendFile(const AppendFile&) = delete;
    AppendFile& operator=(const AppendFile&) = delete;

    // Opens `path` for appending, creating it.
    bool Open(const std::filesystem::path& path);
    // False when the system reports a failure closing the file (written bytes may be lost).
    bool Close();
    bool IsOpen() const { return fd_ >= 0; }

    // The file's length in bytes.
    bool Length(std::uint64_t& length);

    // Appends all of `bytes` or none: one write call as long as the system takes them whole.
    // With `sync` they are on the disk when it returns true. When they could not be written or
    // synced, the file is cut back to its length before.
    bool Append(std::span<const std::uint8_t> bytes, bool sync);

    // Cuts the file to `length` bytes (a torn tail found when reading it back).
    bool Truncate(std::uint64_t length);

    const Failure& LastFailure() const { return failure_; }
    // The last failure as a message naming the file ("cannot write to \"<path>\": <reason>").
    std::string FailureText() const;

private:
    bool Fail(Step step, int code);

    std::filesystem::path path_;
    int fd_ = -1;
    Failure failure_;
};

}  // namespace orv
