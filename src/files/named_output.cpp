#include "files/named_output.h"

#include <cerrno>
#include <cstring>
#include <algorithm>
#include <random>
#include <system_error>
#include <vector>

#ifdef _WIN32
#include <io.h>
#else
#include <climits>
#include <fcntl.h>
#include <sys/uio.h>
#include <unistd.h>
#endif

namespace orv {

namespace fs = std::filesystem;

namespace {

bool SyncToDisk(std::FILE* file) {
#ifdef _WIN32
    return ::_commit(::_fileno(file)) == 0;
#else
    return ::fsync(fileno(file)) == 0;
#endif
}

// The rename itself reaches the disk with its directory.
void SyncDirectory(const fs::path& path) {
#ifndef _WIN32
    const fs::path directory = path.has_parent_path() ? path.parent_path() : ".";
    const int dir = ::open(directory.c_str(), O_RDONLY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
#endif
}

}  // namespace

std::string OutputOverInputError(const fs::path& output, std::initializer_list<fs::path> inputs) {
    for (const fs::path& input : inputs) {
        std::error_code ec;
        if (fs::exists(output, ec) && fs::exists(input, ec) && fs::equivalent(input, output, ec))
            return "the output \"" + output.string() + "\" is the input \"" + input.string() + "\"; nothing was written";
    }
    return {};
}

NamedOutput::~NamedOutput() {
    if (file_) Discard();
}

bool NamedOutput::Open(const fs::path& path, std::string& error) {
    path_ = path;
    temporary_.clear();
    failed_ = false;
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (fs::exists(status) && !fs::is_regular_file(status)) {
        if (fs::is_directory(status)) {
            error = "\"" + path.string() + "\" is a directory";
            return false;
        }
        file_ = std::fopen(path.string().c_str(), "wb");
        if (!file_) {
            error = "cannot open \"" + path.string() + "\": " + std::strerror(errno);
            return false;
        }
        return true;
    }
    // A name of its own beside the target, created exclusively so no other file is reused.
    std::random_device seed;
    for (int attempt = 0; attempt < 16 && !file_; ++attempt) {
        const fs::path candidate =
            path.parent_path() / ("." + path.filename().string() + "." + std::to_string(seed() % 1000000) + ".part");
        file_ = std::fopen(candidate.string().c_str(), "wbx");
        if (file_) temporary_ = candidate;
        else if (errno != EEXIST) break;
    }
    if (!file_) {
        error = "cannot create a file beside \"" + path.string() + "\": " + std::strerror(errno);
        return false;
    }
    return true;
}

bool NamedOutput::Write(const void* data, std::size_t bytes) {
    if (!file_ || failed_) return false;
    if (bytes != 0 && std::fwrite(data, 1, bytes, file_) != bytes) failed_ = true;
    return !failed_;
}

bool NamedOutput::WritePieces(std::span<const OutputPiece> pieces) {
    if (!file_ || failed_) return false;
#ifdef _WIN32
    for (const OutputPiece& piece : pieces)
        if (!Write(piece.data, piece.bytes)) return false;
    return true;
#else
    if (std::fflush(file_) != 0) return !(failed_ = true);
    const int fd = fileno(file_);
    std::vector<iovec> vectors;
    vectors.reserve(std::min<std::size_t>(pieces.size(), IOV_MAX));
    for (std::size_t at = 0; at < pieces.size();) {
        vectors.clear();
        for (; at < pieces.size() && vectors.size() < IOV_MAX; ++at)
            vectors.push_back({const_cast<std::uint8_t*>(pieces[at].data), pieces[at].bytes});
        // A short write (a signal, a pipe) goes on where it stopped.
        std::size_t first = 0;
        while (first < vectors.size()) {
            const ssize_t done = ::writev(fd, vectors.data() + first, static_cast<int>(vectors.size() - first));
            if (done < 0) {
                if (errno == EINTR) continue;
                return !(failed_ = true);
            }
            auto left = static_cast<std::size_t>(done);
            while (first < vectors.size() && left >= vectors[first].iov_len) left -= vectors[first++].iov_len;
            if (first < vectors.size()) {
                vectors[first].iov_base = static_cast<std::uint8_t*>(vectors[first].iov_base) + left;
                vectors[first].iov_len -= left;
            }
        }
    }
    return true;
#endif
}

bool NamedOutput::Commit(std::string& error, OutputSync sync) {
    if (!file_) {
        error = "\"" + path_.string() + "\" is not open";
        return false;
    }
    const bool toDisk = sync == OutputSync::ToDisk && !temporary_.empty();
    bool ok = !failed_ && std::fflush(file_) == 0 && !std::ferror(file_) && (!toDisk || SyncToDisk(file_));
    int savedErrno = ok ? 0 : errno;
    if (std::fclose(file_) != 0 && ok) {
        ok = false;
        savedErrno = errno;
    }
    file_ = nullptr;
    if (!ok) {
        error = "cannot write \"" + path_.string() + "\"" +
                (savedErrno != 0 ? std::string(": ") + std::strerror(savedErrno) : std::string()) + "; nothing was written";
        if (!temporary_.empty()) {
            std::error_code ec;
            fs::remove(temporary_, ec);
        }
        return false;
    }
    if (temporary_.empty()) return true;
    std::error_code ec;
    fs::rename(temporary_, path_, ec);
    if (ec) {
        error = "cannot put \"" + path_.string() + "\" in place: " + ec.message() + "; nothing was written";
        fs::remove(temporary_, ec);
        return false;
    }
    if (toDisk) SyncDirectory(path_);
    return true;
}

void NamedOutput::Discard() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
    if (!temporary_.empty()) {
        std::error_code ec;
        fs::remove(temporary_, ec);
        temporary_.clear();
    }
}

bool WriteNamedOutput(const fs::path& path, std::span<const std::uint8_t> bytes, std::string& error, OutputSync sync) {
    NamedOutput out;
    if (!out.Open(path, error)) return false;
    out.Write(bytes.data(), bytes.size());
    return out.Commit(error, sync);
}

}  // namespace orv
