#include "files/append_file.h"

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

AppendFile::~AppendFile() { Close(); }

bool AppendFile::Fail(Step step, int code) {
    failure_ = {step, code, false};
    return false;
}

bool AppendFile::Open(const std::filesystem::path& path) {
    Close();
    path_ = path;
    int fd;
    do {
        fd = ORV_OPEN(path, O_WRONLY | O_APPEND | O_CREAT);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return Fail(Step::Open, errno);
    fd_ = fd;
    return true;
}

bool AppendFile::Close() {
    if (fd_ < 0) return true;
    const bool closed = ORV_CLOSE(fd_) == 0;
    fd_ = -1;
    return closed || Fail(Step::Close, errno);
}

bool AppendFile::Length(std::uint64_t& length) {
    if (fd_ < 0) return Fail(Step::Length, EBADF);
    const auto end = ORV_LENGTH(fd_);
    if (end < 0) return Fail(Step::Length, errno);
    length = static_cast<std::uint64_t>(end);
    return true;
}

bool AppendFile::Append(std::span<const std::uint8_t> bytes, bool sync) {
    if (fd_ < 0) return Fail(Step::NotOpen, EBADF);
    std::uint64_t before = 0;
    if (!Length(before)) return false;
    // A short write (a signal, a nearly full disk) goes on where it stopped.
    std::size_t done = 0;
    while (done < bytes.size()) {
        const auto n = ORV_WRITE(fd_, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            Fail(Step::Write, n < 0 ? errno : ENOSPC);
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    if (done == bytes.size()) {
        if (!sync || ORV_SYNC(fd_) == 0) return true;
        Fail(Step::Sync, errno);
    }
    if (done > 0 && ORV_TRUNCATE(fd_, before) != 0) failure_.tailStays = true;
    return false;
}

bool AppendFile::Truncate(std::uint64_t length) {
    if (fd_ < 0) return Fail(Step::Cut, EBADF);
    return ORV_TRUNCATE(fd_, length) == 0 || Fail(Step::Cut, errno);
}

std::string AppendFile::FailureText() const {
    const std::string name = "\"" + path_.string() + "\"";
    const std::string reason = std::strerror(failure_.code);
    switch (failure_.step) {
        case Step::Open: return "cannot open " + name + ": " + reason;
        case Step::NotOpen: return "the file is not open";
        case Step::Length: return "cannot read the length of " + name + ": " + reason;
        case Step::Cut: return "cannot cut " + name + ": " + reason;
        case Step::Write:
        case Step::Sync:
            return "cannot write to " + name + ": " + reason +
                   (failure_.tailStays ? ", and a partial piece stays at its end" : "");
        case Step::Close: return "cannot close " + name + ": " + reason;
    }
    return {};
}

}  // namespace orv
