#include "sim/byte_sink.h"

#include <cerrno>
#include <cstring>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace orv::sim {

FileSink::FileSink(const std::string& path) : out_(path, std::ios::binary | std::ios::trunc), path_(path) {
    if (!out_.is_open()) error_ = "cannot create \"" + path + "\": " + std::strerror(errno);
}

bool FileSink::Write(std::span<const std::uint8_t> bytes) {
    out_.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out_) {
        error_ = "cannot write \"" + path_ + "\"";
        return false;
    }
    return true;
}

bool FileSink::Close() {
    if (!out_.is_open()) return error_.empty();
    out_.close();
    if (out_.fail() && error_.empty()) error_ = "cannot write \"" + path_ + "\"";
    return error_.empty();
}

bool PtyMasterSink::Write(std::span<const std::uint8_t> bytes) {
#ifdef _WIN32
    error_ = "pseudo-terminals are not available on this platform";
    return false;
#else
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            dropped_ += static_cast<std::int64_t>(bytes.size() - done);
            return true;
        } else {
            error_ = std::string("cannot write to the pseudo-terminal: ") + std::strerror(errno);
            return false;
        }
    }
    return true;
#endif
}

}  // namespace orv::sim
