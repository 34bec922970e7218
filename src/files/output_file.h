#pragma once
// A file the filter or the export writes: buffered so that many small pieces go out in few large
// writes, and put in place whole or not at all (NamedOutput). Only regular files are ever
// removed: an output such as /dev/null or a pipe is written but never deleted.
#include <cstddef>
#include <filesystem>
#include <memory>
#include <span>
#include <string>

#include "files/named_output.h"

namespace orv {

// Removes `path` when it is a regular file (or a link to one); anything else stays.
void RemoveRegularFile(const std::filesystem::path& path);

class OutputFile {
public:
    // Starts the new content of `path` (an existing file keeps its content until Close). False
    // with a reason on failure.
    bool Open(const std::filesystem::path& path, std::string& error);
    // Appends bytes; false once anything failed.
    bool Write(const void* data, std::size_t bytes);
    // Appends the pieces without copying them (after what is buffered); false once anything failed.
    bool WritePieces(std::span<const OutputPiece> pieces);
    // Writes what is buffered and puts the file in place; false with a reason when any write
    // failed (the named file then keeps its old content).
    bool Close(std::string& error);
    // Drops the new content; the named file keeps its old content.
    void Discard();

private:
    bool Flush();

    std::filesystem::path path_;
    NamedOutput out_;
    std::unique_ptr<char[]> buffer_;  // kBufferBytes, made at the first write that needs it
    std::size_t used_ = 0;
    bool failed_ = false;
};

}  // namespace orv
