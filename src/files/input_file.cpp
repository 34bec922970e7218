#include "files/input_file.h"

#include <cerrno>
#include <cstring>
#include <system_error>

namespace orv {

namespace fs = std::filesystem;

InputFile::~InputFile() {
    if (file_) std::fclose(file_);
}

bool InputFile::Open(const fs::path& path, std::string& error) {
    path_ = path;
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (fs::is_directory(status)) {
        error = "\"" + path.string() + "\" is a directory";
        return false;
    }
    file_ = std::fopen(path.string().c_str(), "rb");
    if (!file_) {
        error = "cannot open \"" + path.string() + "\": " + std::strerror(errno);
        return false;
    }
    if (fs::is_regular_file(status)) {
        const auto size = fs::file_size(path, ec);
        if (!ec) size_ = size;
    }
    return true;
}

std::size_t InputFile::Read(void* data, std::size_t bytes) {
    if (!file_ || !error_.empty()) return 0;
    const std::size_t got = std::fread(data, 1, bytes, file_);
    if (got < bytes && std::ferror(file_)) error_ = "cannot read \"" + path_.string() + "\": " + std::strerror(errno);
    return got;
}

bool ReadSmallFile(const fs::path& path, std::size_t maxBytes, std::vector<std::uint8_t>& bytes, std::string& error) {
    InputFile in;
    if (!in.Open(path, error)) return false;
    const auto tooLarge = [&](const std::string& size) {
        error = "\"" + path.string() + "\" holds " + size + " bytes; at most " + std::to_string(maxBytes) + " are read";
        return false;
    };
    if (in.Size() && *in.Size() > maxBytes) return tooLarge(std::to_string(*in.Size()));
    // One byte more than allowed tells a device or a pipe that holds too much.
    bytes.resize(maxBytes + 1);
    std::size_t used = 0;
    while (used < bytes.size()) {
        const std::size_t got = in.Read(bytes.data() + used, bytes.size() - used);
        if (got == 0) break;
        used += got;
    }
    if (!in.Error().empty()) {
        error = in.Error();
        return false;
    }
    if (used > maxBytes) return tooLarge("more than " + std::to_string(maxBytes));
    bytes.resize(used);
    return true;
}

}  // namespace orv
