#include "forward/append_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>

#ifdef _WIN32
#include <io.h>
#define ORV_OPEN(p, f) ::_wopen((p).c_str(), (f) | _O_BINARY, _S_IREAD | _S_IWRITE)
#define ORV_WRITE(fd, b, n) ::_write(fd, b, static_cast<unsigned>(n))
#define ORV_SYNC(fd) ::_commit(fd)
#define ORV_TRUNCATE(fd, n) ::_chsize_s(fd, static_cast<long long>(n))
#define ORV_CLOSE(fd) ::_close(fd)
#define ORV_LENGTH(fd) ::_lseeki64(fd, 0, SEEK_END)
#else
#include <unistd.h>
#define ORV_OPEN(p, f) ::open((p).c_str(), (f) | O_CLOEXEC, 0644)
#define ORV_WRITE(fd, b, n) ::write(fd, b, n)
#define ORV_SYNC(fd) ::fsync(fd)
#define ORV_TRUNCATE(fd, n) ::ftruncate(fd, static_cast<off_t>(n))
#define ORV_CLOSE(fd) ::close(fd)
#define ORV_LENGTH(fd) ::lseek(fd, 0, SEEK_END)
#endif

namespace orv {
namespace {

std::string SystemError(const std::string& what, int err) { return what + ": " + std::strerror(err); }

// Writes all of `bytes` to `fd`, going on after partial writes; the errno, or 0.
int WriteAll(int fd, std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const auto n = ORV_WRITE(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (n == 0) return ENOSPC;
        done += static_cast<std::size_t>(n);
    }
    return 0;
}

}  // namespace

AppendFile::~AppendFile() { Close(); }

bool AppendFile::Open(const std::filesystem::path& path, std::string& error) {
    Close();
    int fd;
    do {
        fd = ORV_OPEN(path, O_WRONLY | O_APPEND | O_CREAT);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        error = SystemError("cannot open \"" + path.string() + "\"", errno);
        return false;
    }
    fd_ = fd;
    path_ = path;
    return true;
}

void AppendFile::Close() {
    if (fd_ >= 0) ORV_CLOSE(fd_);
    fd_ = -1;
}

bool AppendFile::Append(std::span<const std::uint8_t> bytes, bool sync, std::string& error) {
    if (fd_ < 0) {
        error = "the file is not open";
        return false;
    }
    const auto before = ORV_LENGTH(fd_);
    if (before < 0) {
        error = SystemError("cannot read the length of \"" + path_.string() + "\"", errno);
        return false;
    }
    int err = WriteAll(fd_, bytes);
    if (err == 0 && sync && ORV_SYNC(fd_) != 0) err = errno;
    if (err == 0) return true;
    error = SystemError("cannot write to \"" + path_.string() + "\"", err);
    if (ORV_TRUNCATE(fd_, before) != 0) error += ", and a partial piece stays at its end";
    return false;
}

bool AppendFile::Truncate(std::uint64_t length, std::string& error) {
    if (fd_ >= 0 && ORV_TRUNCATE(fd_, length) == 0) return true;
    error = SystemError("cannot cut \"" + path_.string() + "\"", fd_ >= 0 ? errno : EBADF);
    return false;
}

bool ReplaceFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes, std::string& error) {
    std::filesystem::path temporary = path;
    temporary += ".new";
    int fd;
    do {
        fd = ORV_OPEN(temporary, O_WRONLY | O_CREAT | O_TRUNC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        error = SystemError("cannot create \"" + temporary.string() + "\"", errno);
        return false;
    }
    int err = WriteAll(fd, bytes);
    if (err == 0 && ORV_SYNC(fd) != 0) err = errno;
    if (ORV_CLOSE(fd) != 0 && err == 0) err = errno;
    if (err != 0) {
        error = SystemError("cannot write \"" + temporary.string() + "\"", err);
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        return false;
    }
    std::error_code ec;
    std::filesystem::rename(temporary, path, ec);
    if (ec) {
        error = "cannot replace \"" + path.string() + "\": " + ec.message();
        std::filesystem::remove(temporary, ec);
        return false;
    }
#ifndef _WIN32
    // The rename itself reaches the disk with its directory.
    const std::filesystem::path directory = path.has_parent_path() ? path.parent_path() : ".";
    const int dir = ::open(directory.c_str(), O_RDONLY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
#endif
    return true;
}

}  // namespace orv
