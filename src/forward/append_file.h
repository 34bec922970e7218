#pragma once
// A file that only grows by whole pieces: each Append writes its bytes in one call and undoes a
// short write, so a full disk, a crash or kill -9 never leaves half a KISS frame or half a
// journal line behind for the next reader.
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

namespace orv {

class AppendFile {
public:
    AppendFile() = default;
    ~AppendFile();
    AppendFile(const AppendFile&) = delete;
    AppendFile& operator=(const AppendFile&) = delete;

    // Opens `path` for appending, creating it. False, with the system's reason in `error`.
    bool Open(const std::filesystem::path& path, std::string& error);
    void Close();
    bool IsOpen() const { return fd_ >= 0; }
    const std::filesystem::path& Path() const { return path_; }

    // Appends all bytes or none. With `sync` they are on the disk when it returns true.
    // False, with the reason in `error`, when they could not be written (the file is cut back).
    bool Append(std::span<const std::uint8_t> bytes, bool sync, std::string& error);

    // Cuts the file to `length` bytes (a torn tail found when reading it back).
    bool Truncate(std::uint64_t length, std::string& error);

private:
    std::filesystem::path path_;
    int fd_ = -1;
};

// Replaces `path` by `bytes` atomically: written to a temporary file beside it, forced to the
// disk, then renamed over it. A crash leaves either the old or the new content.
bool ReplaceFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes, std::string& error);

}  // namespace orv
