#pragma once
// A file a command reads, piece by piece, so memory stays flat whatever its size. A directory,
// an unreadable device or a read error gives a reason instead of an exception.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace orv {

class InputFile {
public:
    InputFile() = default;
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
    ~InputFile();

    // Opens `path` for reading. False with a reason (a directory, no such file, no permission).
    bool Open(const std::filesystem::path& path, std::string& error);
    // The length in bytes of a regular file; nullopt for a device or a pipe.
    std::optional<std::uint64_t> Size() const { return size_; }
    // Reads up to `bytes` bytes; the count read, 0 at the end or on an error (see Error).
    std::size_t Read(void* data, std::size_t bytes);
    // The reason the last Read stopped early, empty at the end of the file.
    const std::string& Error() const { return error_; }

private:
    std::filesystem::path path_;
    std::FILE* file_ = nullptr;
    std::optional<std::uint64_t> size_;
    std::string error_;
};

// The whole content of `path` when it holds at most `maxBytes` bytes (the size is checked before
// reading; a device or a pipe is read up to one byte past it). False with a reason.
bool ReadSmallFile(const std::filesystem::path& path, std::size_t maxBytes, std::vector<std::uint8_t>& bytes,
                   std::string& error);

}  // namespace orv
