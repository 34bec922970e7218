#pragma once
// Whole files for the orv-cli commands, where "-" means standard input or standard output.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace orv::cli {

// The whole of `path` ("-": standard input until its end), or nothing after a message
// "orv-cli COMMAND: cannot open/read ..." on stderr.
std::optional<std::vector<std::uint8_t>> ReadAll(const std::string& command, const std::string& path);

// `path` made to hold exactly `bytes` ("-": the bytes written to standard output); false after
// a message on stderr.
bool WriteAll(const std::string& command, const std::string& path, std::span<const std::uint8_t> bytes);

// How a path is named in messages: "standard input"/"standard output" for "-", else quoted.
std::string InputName(const std::string& path);
std::string OutputName(const std::string& path);

}  // namespace orv::cli
