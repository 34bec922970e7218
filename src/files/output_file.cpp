#include "files/output_file.h"

#include <cstring>
#include <system_error>

namespace orv {
namespace {
constexpr std::size_t kBufferBytes = 256 << 10;
}  // namespace

void RemoveRegularFile(const std::filesystem::path& path) {
    std::error_code ec;
    if (std::filesystem::is_regular_file(path, ec)) std::filesystem::remove(path, ec);
}

bool OutputFile::Open(const std::filesystem::path& path, std::string& error) {
    path_ = path;
    if (!out_.Open(path, error)) return false;
    used_ = 0;
    failed_ = false;
    return true;
}

bool OutputFile::Flush() {
    if (used_ != 0 && !failed_) {
        failed_ = !out_.Write(buffer_.get(), used_);
    }
    used_ = 0;
    return !failed_;
}

bool OutputFile::Write(const void* data, std::size_t bytes) {
    if (failed_) return false;
    if (used_ + bytes > kBufferBytes) {
        if (!Flush()) return false;
    }
    // A piece as large as the buffer goes straight out; callers that build their own large
    // chunks never need the buffer at all.
    if (used_ == 0 && bytes >= kBufferBytes) {
        failed_ = !out_.Write(data, bytes);
        return !failed_;
    }
    // Not value-initialised: filling 4 MiB with zeros would cost more than a short output.
    if (!buffer_) buffer_.reset(new char[kBufferBytes]);
    std::memcpy(buffer_.get() + used_, data, bytes);
    used_ += bytes;
    return true;
}

bool OutputFile::WritePieces(std::span<const OutputPiece> pieces) {
    if (!Flush()) return false;
    failed_ = !out_.WritePieces(pieces);
    return !failed_;
}

bool OutputFile::Close(std::string& error) {
    Flush();
    if (failed_) {
        out_.Discard();
        error = "Cannot write \"" + path_.string() + "\" (disk full?).";
        return false;
    }
    return out_.Commit(error);
}

void OutputFile::Discard() {
    out_.Discard();
}

}  // namespace orv
