#include "app/cli/stream_io.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>

namespace orv::cli {

std::string InputName(const std::string& path) { return path == "-" ? "standard input" : "\"" + path + "\""; }
std::string OutputName(const std::string& path) { return path == "-" ? "standard output" : "\"" + path + "\""; }

std::optional<std::vector<std::uint8_t>> ReadAll(const std::string& command, const std::string& path) {
    if (path == "-") {
        std::vector<std::uint8_t> bytes;
        std::uint8_t buffer[65536];
        std::size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, stdin)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
        if (std::ferror(stdin)) {
            std::cerr << "orv-cli " << command << ": cannot read standard input: " << std::strerror(errno) << "\n";
            return std::nullopt;
        }
        return bytes;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::cerr << "orv-cli " << command << ": cannot open \"" << path << "\": " << std::strerror(errno) << "\n";
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        std::cerr << "orv-cli " << command << ": cannot read \"" << path << "\"\n";
        return std::nullopt;
    }
    return bytes;
}

bool WriteAll(const std::string& command, const std::string& path, std::span<const std::uint8_t> bytes) {
    if (path == "-") {
        if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size() && std::fflush(stdout) == 0) return true;
        std::cerr << "orv-cli " << command << ": cannot write standard output\n";
        return false;
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        std::cerr << "orv-cli " << command << ": cannot write \"" << path << "\"\n";
        return false;
    }
    return true;
}

}  // namespace orv::cli
