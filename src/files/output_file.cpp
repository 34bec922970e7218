#include "files/output_file.h"

#include <cstring>
#include <system_error>

namespace orv {
namespace {
constexpr std::size_t kBufferBytes = 4 << 20;
}  // namespace

void RemoveRegularFile(const std::filesystem::path& path) {
    std::error_code ec;
    if (std::filesystem::is_regular_file(path, ec)) std::filesystem::remove(path, ec);
}

bool OutputFile::Open(const std::filesystem::path& path, std::string& error) {
    path_ = path;
    out_.open(path, std::ios::binary | std::ios::trunc);
    if (!out_) {
        error = "Cannot create \"" + path.string() + "\".";
        return false;
    }
    buffer_.resize(kBufferBytes);
    used_ = 0;
    failed_ = false;
    return true;
}

bool OutputFile::Flush() {
    if (used_ != 0 && !failed_) {
        out_.write(buffer_.data(), static_cast<std::streamsize>(used_));
        failed_ = !out_;
    }
    used_ = 0;
    return !failed_;
}

bool OutputFile::Write(const void* data, std::size_t bytes) {
    if (failed_) return false;
    if (used_ + bytes > buffer_.size()) {
        if (!Flush()) return false;
        if (bytes >= buffer_.size()) {
            out_.write(static_cast<const char*>(data), static_cast<std::streamsize>(bytes));
            failed_ = !out_;
            return !failed_;
        }
    }
    std::memcpy(buffer_.data() + used_, data, bytes);
    used_ += bytes;
    return true;
}

bool OutputFile::Close(std::string& error) {
    Flush();
    out_.close();
    if (failed_ || out_.fail()) {
        error = "Cannot write \"" + path_.string() + "\" (disk full?).";
        return false;
    }
    return true;
}

void OutputFile::Discard() {
    out_.close();
    RemoveRegularFile(path_);
}

}  // namespace orv
