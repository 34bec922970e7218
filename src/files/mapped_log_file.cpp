#include "files/mapped_log_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace orv {

MappedLogFile::~MappedLogFile() { Close(); }

MappedLogFile::MappedLogFile(MappedLogFile&& other) noexcept { *this = std::move(other); }

MappedLogFile& MappedLogFile::operator=(MappedLogFile&& other) noexcept {
    if (this != &other) {
        Close();
        data_ = other.data_;
        length_ = other.length_;
        open_ = other.open_;
        mapped_ = other.mapped_;
        fd_ = other.fd_;
        other.fd_ = -1;
        memory_ = std::move(other.memory_);
        if (!mapped_) data_ = memory_.data();
#ifdef _WIN32
        mapping_ = other.mapping_;
        other.mapping_ = nullptr;
#endif
        other.Reset();
    }
    return *this;
}

void MappedLogFile::Reset() noexcept {
    data_ = nullptr;
    length_ = 0;
    open_ = false;
    mapped_ = false;
    memory_.clear();
}

MappedLogFile MappedLogFile::FromBytes(std::vector<std::uint8_t> bytes) {
    MappedLogFile image;
    image.memory_ = std::move(bytes);
    image.data_ = image.memory_.data();
    image.length_ = image.memory_.size();
    image.open_ = true;
    return image;
}

#ifdef _WIN32

bool MappedLogFile::Open(const std::filesystem::path& path, std::string& error) {
    Close();
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = "cannot open the file (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size)) {
        error = "cannot read the file length (error " + std::to_string(GetLastError()) + ")";
        CloseHandle(file);
        return false;
    }
    length_ = static_cast<std::uint64_t>(size.QuadPart);
    if (length_ > 0) {
        mapping_ = CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
        void* view = mapping_ ? MapViewOfFile(mapping_, FILE_MAP_READ, 0, 0, 0) : nullptr;
        if (!view) {
            error = "cannot map the file (error " + std::to_string(GetLastError()) + ")";
            if (mapping_) CloseHandle(mapping_);
            mapping_ = nullptr;
            CloseHandle(file);
            length_ = 0;
            return false;
        }
        data_ = static_cast<const std::uint8_t*>(view);
        mapped_ = true;
    }
    CloseHandle(file);  // the mapping keeps the file open
    open_ = true;
    return true;
}

void MappedLogFile::Close() {
    if (mapped_) {
        UnmapViewOfFile(data_);
        CloseHandle(mapping_);
        mapping_ = nullptr;
    }
    Reset();
}

void MappedLogFile::AdviseSequential(std::uint64_t, std::uint64_t) const {}

// Passes use the mapping here (fd_ stays -1).
std::size_t MappedLogFile::ReadAt(std::uint64_t, std::uint8_t*, std::size_t, std::string& error) const {
    error = "the file is not read by position";
    return 0;
}

#else

bool MappedLogFile::Open(const std::filesystem::path& path, std::string& error) {
    Close();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = std::string("cannot open the file: ") + std::strerror(errno);
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        error = std::string("cannot read the file length: ") + std::strerror(errno);
        ::close(fd);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        error = "not a regular file";
        ::close(fd);
        return false;
    }
    length_ = static_cast<std::uint64_t>(st.st_size);
    if (length_ > 0) {
        void* view = ::mmap(nullptr, static_cast<std::size_t>(length_), PROT_READ, MAP_SHARED, fd, 0);
        if (view == MAP_FAILED) {
            error = std::string("cannot map the file: ") + std::strerror(errno);
            ::close(fd);
            length_ = 0;
            return false;
        }
        data_ = static_cast<const std::uint8_t*>(view);
        mapped_ = true;
    }
    fd_ = fd;  // kept for the passes
    open_ = true;
    return true;
}

void MappedLogFile::Close() {
    if (mapped_) ::munmap(const_cast<std::uint8_t*>(data_), static_cast<std::size_t>(length_));
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    Reset();
}

std::size_t MappedLogFile::ReadAt(std::uint64_t offset, std::uint8_t* to, std::size_t bytes, std::string& error) const {
    std::size_t done = 0;
    while (done < bytes) {
        const ssize_t got = ::pread(fd_, to + done, bytes - done, static_cast<off_t>(offset + done));
        if (got < 0) {
            if (errno == EINTR) continue;
            error = std::string("cannot read the file: ") + std::strerror(errno);
            break;
        }
        if (got == 0) break;  // the end of the file
        done += static_cast<std::size_t>(got);
    }
    return done;
}

void MappedLogFile::AdviseSequential(std::uint64_t offset, std::uint64_t bytes) const {
    // Advice only: a pass reads correctly without it.
    if (fd_ >= 0 && bytes > 0) ::posix_fadvise(fd_, static_cast<off_t>(offset), static_cast<off_t>(bytes), POSIX_FADV_SEQUENTIAL);
}

#endif

SequentialPass::SequentialPass(const MappedLogFile& image, std::uint64_t first, std::uint64_t last)
    : image_(image), last_(last), begin_(first), end_(first) {
    if (!image_.ReadsFile() || last <= first) return;
    image_.AdviseSequential(first * kRecordBytes, (last - first) * kRecordBytes);
    buffer_.resize((kBatchRecords + 2) * kRecordBytes);
    base_ = buffer_.data() + kRecordBytes;
    lookahead_ = true;
}

bool SequentialPass::Next() {
    const std::uint64_t previousBegin = begin_;
    const bool firstBatch = begin_ == end_;
    begin_ = end_;
    if (begin_ >= last_ || !error_.empty()) return false;
    end_ = std::min(last_, begin_ + kBatchRecords);
    if (!image_.ReadsFile()) {
        base_ = image_.RecordAt(begin_).data();
        return true;
    }
    // The buffer holds the record before the batch, the batch and the bytes of the record after it
    // as far as the file goes (zeros beyond), so that neighbours are read where they lie. The record
    // before comes from the previous batch, or is read with the first one.
    std::uint8_t* const before = buffer_.data();
    std::uint8_t* const batch = before + kRecordBytes;
    std::uint64_t from = begin_ * kRecordBytes;
    std::uint8_t* to = batch;
    if (!firstBatch) {
        std::memcpy(before, batch + (begin_ - previousBegin - 1) * kRecordBytes, kRecordBytes);
    } else if (begin_ > 0) {
        from -= kRecordBytes;
        to = before;
    }
    // The record after is read as far as it goes: a partial record at the end may have been cut
    // off meanwhile (its bytes then read as 0, as after the end of the file).
    const std::uint64_t needed = end_ * kRecordBytes - from;
    const std::uint64_t wanted = std::min(image_.Length(), (end_ + 1) * kRecordBytes) - from;
    const std::size_t got = image_.ReadAt(from, to, static_cast<std::size_t>(wanted), error_);
    if (!error_.empty()) return false;
    if (got < needed) {
        error_ = "the file became shorter while it was read";
        return false;
    }
    std::fill(to + got, batch + (end_ - begin_ + 1) * kRecordBytes, std::uint8_t{0});
    return true;
}

}  // namespace orv
