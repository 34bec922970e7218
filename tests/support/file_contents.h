#pragma once
// Whole files written and read in one call, byte for byte.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orv::test {

// Writes `bytes` as the whole file at `path`, replacing what was there. Returns false when the
// file cannot be written.
inline bool WriteBytes(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out.flush());
}

inline bool WriteBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    return WriteBytes(path, std::span<const std::uint8_t>(bytes));
}

// The same for text, written as it is (no line-end translation).
inline bool WriteText(const std::filesystem::path& path, std::string_view text) {
    return WriteBytes(path, {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}

// Every byte of the file at `path`; empty when it cannot be read.
inline std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The same as text.
inline std::string ReadText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace orv::test
