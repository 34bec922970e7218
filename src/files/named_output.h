#pragma once
// The rules for a file the user names as an output: it never replaces one of the inputs (also
// through links), and it ends up holding either its old content or the whole new content. The
// new content goes to a temporary file beside it that is renamed over it at the end, so a full
// disk, a failed write or a kill leaves no truncated output. An output that is not a regular
// file (/dev/null, a pipe, a terminal) is written directly.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <initializer_list>
#include <span>
#include <string>

namespace orv {

// The message refusing `output` when it names the same file as one of `inputs` (the same path, a
// link to it, a hard link); empty when it names none of them. Inputs that do not exist are skipped.
std::string OutputOverInputError(const std::filesystem::path& output,
                                 std::initializer_list<std::filesystem::path> inputs);

// Where Commit leaves the content: in the system's cache (an output made from files that stay:
// the rename alone keeps a failed or killed run from leaving a partial file under the name), or
// forced to the disk together with the rename (state a program keeps across a power cut).
enum class OutputSync { Cached, ToDisk };

// Bytes somewhere in memory, written in place by WritePieces.
struct OutputPiece {
    const std::uint8_t* data;
    std::size_t bytes;
};

class NamedOutput {
public:
    NamedOutput() = default;
    NamedOutput(const NamedOutput&) = delete;
    NamedOutput& operator=(const NamedOutput&) = delete;
    // Removes the temporary file when neither Commit nor Discard ran.
    ~NamedOutput();

    // Creates the temporary file beside `path` (or opens `path` itself when it exists and is not
    // a regular file). False with a reason on failure.
    bool Open(const std::filesystem::path& path, std::string& error);
    // Appends `bytes`; false once anything failed (later writes are ignored).
    bool Write(const void* data, std::size_t bytes);
    // Appends the pieces in order, gathered by the system (writev) without copying them.
    bool WritePieces(std::span<const OutputPiece> pieces);
    // Writes everything out and puts the file in place under its name. False with a reason
    // (the temporary file is removed, the named file keeps its old content).
    bool Commit(std::string& error, OutputSync sync = OutputSync::Cached);
    // Drops what was written; the named file keeps its old content.
    void Discard();

private:
    std::filesystem::path path_;
    std::filesystem::path temporary_;  // empty when writing to `path_` directly
    std::FILE* file_ = nullptr;
    bool failed_ = false;
};

// Writes `bytes` as the whole content of `path` through a NamedOutput. False with a reason.
bool WriteNamedOutput(const std::filesystem::path& path, std::span<const std::uint8_t> bytes, std::string& error,
                      OutputSync sync = OutputSync::Cached);

}  // namespace orv
