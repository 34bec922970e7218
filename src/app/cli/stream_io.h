#pragma once
// Whole files for the orv-cli commands, where "-" means standard input or standard output.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "files/input_file.h"

namespace orv::cli {

// The whole of `path` ("-": standard input until its end), or nothing after a message
// "orv-cli COMMAND: cannot open/read ..." on stderr.
std::optional<std::vector<std::uint8_t>> ReadAll(const std::string& command, const std::string& path);

// Opens `path` ("-": standard input) to be read piece by piece, so memory stays flat whatever its
// size; false after a message "orv-cli COMMAND: ..." on stderr (a directory, no such file).
bool OpenInput(const std::string& command, const std::string& path, InputFile& in);

// `path` made to hold exactly `bytes`, whole or not at all ("-": the bytes written to standard
// output); false after a message on stderr.
bool WriteAll(const std::string& command, const std::string& path, std::span<const std::uint8_t> bytes);

// How a path is named in messages: "standard input"/"standard output" for "-", else quoted.
std::string InputName(const std::string& path);
std::string OutputName(const std::string& path);

}  // namespace orv::cli
