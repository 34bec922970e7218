#include "files/log_file.h"

#include <cerrno>
#include <cstring>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace orv {

#ifdef _WIN32

namespace {
std::string WinError(const char* what) { return std::string(what) + " (error " + std::to_string(GetLastError()) + ")"; }
}  // namespace

AppendOutcome AppendRecordToFile(const std::filesystem::path& path, Record record, bool sync) {
    AppendOutcome out;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        out.error = WinError("cannot open the log file");
        return out;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size)) {
        out.error = WinError("cannot read the log file length");
        CloseHandle(file);
        return out;
    }
    auto length = static_cast<std::uint64_t>(size.QuadPart);
    out.fileLength = length;
    LARGE_INTEGER whole{};
    whole.QuadPart = static_cast<LONGLONG>(length / kRecordBytes * kRecordBytes);
    if (!IsWholeLength(length)) {
        if (!SetFilePointerEx(file, whole, nullptr, FILE_BEGIN) || !SetEndOfFile(file)) {
            out.error = WinError("cannot cut the partial record at the end of the log file");
            CloseHandle(file);
            return out;
        }
        out.strayBytes = length - static_cast<std::uint64_t>(whole.QuadPart);
        length = static_cast<std::uint64_t>(whole.QuadPart);
        out.fileLength = length;
    }
    DWORD written = 0;
    const BOOL ok = SetFilePointerEx(file, whole, nullptr, FILE_BEGIN) &&
                    WriteFile(file, record.data(), static_cast<DWORD>(kRecordBytes), &written, nullptr);
    if (!ok || written != kRecordBytes) {
        out.error = WinError("cannot write to the log file");
        SetFilePointerEx(file, whole, nullptr, FILE_BEGIN);
        SetEndOfFile(file);
    } else if (sync && !FlushFileBuffers(file)) {
        out.error = WinError("cannot flush the log file");
        SetFilePointerEx(file, whole, nullptr, FILE_BEGIN);
        SetEndOfFile(file);
    } else {
        out.written = true;
    }
    if (GetFileSizeEx(file, &size)) out.fileLength = static_cast<std::uint64_t>(size.QuadPart);
    CloseHandle(file);
    return out;
}

#else

namespace {
std::string PosixError(const char* what, int err) { return std::string(what) + ": " + std::strerror(err); }
}  // namespace

AppendOutcome AppendRecordToFile(const std::filesystem::path& path, Record record, bool sync) {
    AppendOutcome out;
    int fd;
    do {
        fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        out.error = PosixError("cannot open the log file", errno);
        return out;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        out.error = PosixError("cannot read the log file length", errno);
        ::close(fd);
        return out;
    }
    auto length = static_cast<std::uint64_t>(st.st_size);
    if (!IsWholeLength(length)) {
        const std::uint64_t whole = length / kRecordBytes * kRecordBytes;
        if (::ftruncate(fd, static_cast<off_t>(whole)) != 0) {
            out.error = PosixError("cannot cut the partial record at the end of the log file", errno);
            out.fileLength = length;
            ::close(fd);
            return out;
        }
        out.strayBytes = length - whole;
        length = whole;
    }
    // One write of the whole record: a 512-byte append at a multiple of 512 lies within one
    // page, so it reaches the file whole or not at all.
    ssize_t n;
    do {
        n = ::write(fd, record.data(), kRecordBytes);
    } while (n < 0 && errno == EINTR);
    if (n != static_cast<ssize_t>(kRecordBytes)) {
        const int err = n < 0 ? errno : ENOSPC;
        if (n > 0 && ::ftruncate(fd, static_cast<off_t>(length)) != 0) {
            out.error = PosixError("cannot write to the log file, and the partial record stays", err);
        } else {
            out.error = PosixError("cannot write to the log file", err);
        }
    } else if (sync && ::fsync(fd) != 0) {
        out.error = PosixError("cannot flush the log file", errno);
    } else {
        out.written = true;
    }
    out.fileLength = ::fstat(fd, &st) == 0 ? static_cast<std::uint64_t>(st.st_size) : length;
    if (::close(fd) != 0 && out.written) {
        out.written = false;
        out.error = PosixError("cannot close the log file", errno);
    }
    return out;
}

#endif

}  // namespace orv
