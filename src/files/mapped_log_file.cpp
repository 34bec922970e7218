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

void MappedLogFile::ReleaseRecords(std::uint64_t first, std::uint64_t count) const {
    if (!mapped_ || count == 0) return;
    // Unlocking pages that are not locked takes them out of the working set.
    VirtualUnlock(const_cast<std::uint8_t*>(data_) + first * kRecordBytes,
                  static_cast<SIZE_T>(count * kRecordBytes));
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
    ::close(fd);  // the mapping keeps the file open
    open_ = true;
    return true;
}

void MappedLogFile::Close() {
    if (mapped_) ::munmap(const_cast<std::uint8_t*>(data_), static_cast<std::size_t>(length_));
    Reset();
}

void MappedLogFile::ReleaseRecords(std::uint64_t first, std::uint64_t count) const {
    if (!mapped_ || count == 0) return;
    // Only whole pages inside the range are given back.
    const auto page = static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
    const std::uint64_t begin = (first * kRecordBytes + page - 1) / page * page;
    std::uint64_t end = (first + count) * kRecordBytes;
    end = end >= length_ ? (length_ + page - 1) / page * page : end / page * page;
    if (end <= begin) return;
    // A shared read-only file mapping: dropping the pages loses nothing, they are read again
    // from the page cache when touched.
    ::madvise(const_cast<std::uint8_t*>(data_) + begin, static_cast<std::size_t>(end - begin), MADV_DONTNEED);
}

void MappedLogFile::AdviseSequential(std::uint64_t first, std::uint64_t count) const {
    if (!mapped_ || count == 0 || first * kRecordBytes >= length_) return;
    const auto page = static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
    const std::uint64_t begin = first * kRecordBytes / page * page;
    const std::uint64_t end = std::min(length_, (first + count) * kRecordBytes);
    // Advice only: a pass reads correctly without it.
    ::madvise(const_cast<std::uint8_t*>(data_) + begin, static_cast<std::size_t>(end - begin), MADV_SEQUENTIAL);
}

#endif

SequentialPass::SequentialPass(const MappedLogFile& image, std::uint64_t first, std::uint64_t last)
    : image_(image), last_(last), released_(first), windowEnd_(first + kPassWindowRecords) {
    if (last > first) image_.AdviseSequential(first, last - first);
}

SequentialPass::~SequentialPass() {
    if (last_ > released_) image_.ReleaseRecords(released_, last_ - released_);
}

void SequentialPass::NextWindow(std::uint64_t i) {
    if (i > released_ + 1) {
        image_.ReleaseRecords(released_, i - 1 - released_);
        released_ = i - 1;  // the previous record stays in use
    }
    windowEnd_ = i + kPassWindowRecords;
}

}  // namespace orv
