#pragma once
// Telemetry records and files for the tests, made on the spot.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "files/telemetry_image.h"
#include "reception/block.h"

namespace orv::test {

// A standard block of `kind` ("A", "E", "K", ...): letter, space, the rest zero.
inline Block512 MakeBlock(char kind) {
    Block512 b{};
    b[0] = static_cast<std::uint8_t>(kind);
    b[1] = ' ';
    return b;
}

// An A block with the time text "YYYY-MM-DD  hh:mm:ss" at bytes 36..55.
inline Block512 MakeABlock(std::string_view time = "2003-04-15  12:00:00") {
    Block512 b = MakeBlock('A');
    for (std::size_t k = 0; k < time.size() && k < 20; ++k) b[36 + k] = static_cast<std::uint8_t>(time[k]);
    return b;
}

// An E block with the event number digits at 135..138.
inline Block512 MakeEBlock(std::string_view digits) {
    Block512 b = MakeBlock('E');
    for (std::size_t k = 0; k < 4 && k < digits.size(); ++k) b[135 + k] = static_cast<std::uint8_t>(digits[k]);
    return b;
}

inline Block512 With(Block512 b, std::initializer_list<std::pair<std::size_t, std::uint8_t>> bytes) {
    for (auto [address, value] : bytes) b[address] = value;
    return b;
}

inline std::vector<std::uint8_t> Concat(const std::vector<Block512>& blocks) {
    std::vector<std::uint8_t> bytes;
    for (const auto& b : blocks) bytes.insert(bytes.end(), b.begin(), b.end());
    return bytes;
}

inline void WriteBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::string ReadText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
public:
    TempDir() {
        std::random_device rd;
        path_ = std::filesystem::temp_directory_path() / ("orv_files_test_" + std::to_string(rd()) + "_" +
                                                          std::to_string(rd()));
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

inline TelemetryImage ImageOf(const std::vector<Block512>& blocks) { return TelemetryImage::FromBytes(Concat(blocks)); }

}  // namespace orv::test
