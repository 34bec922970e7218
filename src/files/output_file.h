#pragma once
// A file the filter or the export writes: buffered so that many small pieces go out in few large
// writes, and removed again when it must not stay (incomplete, or empty by rule). Only regular
// files are ever removed: an output such as /dev/null or a pipe is written but never deleted.
#include <cstddef>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace orv {

// Removes `path` when it is a regular file (or a link to one); anything else stays.
void RemoveRegularFile(const std::filesystem::path& path);

class OutputFile {
public:
    // Creates the file, or empties an existing regular file. False with a reason on failure.
    bool Open(const std::filesystem::path& path, std::string& error);
    // Appends bytes; false once anything failed.
    bool Write(const void* data, std::size_t bytes);
    // Writes what is buffered and closes; false with a reason when any write failed.
    bool Close(std::string& error);
    // Closes and removes the file (a regular file only).
    void Discard();

private:
    bool Flush();

    std::filesystem::path path_;
    std::ofstream out_;
    std::vector<char> buffer_;
    std::size_t used_ = 0;
    bool failed_ = false;
};

}  // namespace orv
