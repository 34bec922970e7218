#include "app/cli/stream_io.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <iterator>

#include "files/named_output.h"

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
    InputFile in;
    if (!OpenInput(command, path, in)) return std::nullopt;
    std::vector<std::uint8_t> bytes;
    std::uint8_t buffer[65536];
    while (const std::size_t n = in.Read(buffer, sizeof buffer)) bytes.insert(bytes.end(), buffer, buffer + n);
    if (!in.Error().empty()) {
        std::cerr << "orv-cli " << command << ": " << in.Error() << "\n";
        return std::nullopt;
    }
    return bytes;
}

bool OpenInput(const std::string& command, const std::string& path, InputFile& in) {
    std::string error;
    if (in.Open(path == "-" ? "/dev/stdin" : path, error)) return true;
    std::cerr << "orv-cli " << command << ": " << error << "\n";
    return false;
}

bool WriteAll(const std::string& command, const std::string& path, std::span<const std::uint8_t> bytes) {
    if (path == "-") {
        if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size() && std::fflush(stdout) == 0) return true;
        std::cerr << "orv-cli " << command << ": cannot write standard output\n";
        return false;
    }
    std::string error;
    if (WriteNamedOutput(path, bytes, error)) return true;
    std::cerr << "orv-cli " << command << ": " << error << "\n";
    return false;
}

}  // namespace orv::cli
