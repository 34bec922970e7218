#pragma once
// DSP-93 program files: Intel HEX records of 16-bit words (high byte first) turned into the text
// the modem's monitor takes: "H", the high bytes as byte-wide records, an end record, "L", the low
// bytes likewise, "G".
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace orv {

// Sent before the program: CR LF "R" CR LF.
inline constexpr std::string_view kDspResetCommand = "\r\nR\r\n";

struct DspProgram {
    std::string text;   // what is sent after the reset command
    std::string error;  // empty when converted; otherwise what is wrong, naming the line
    // Records whose own checksum is wrong ("line N: checksum XX is wrong, the record needs YY").
    // They are converted all the same, as the sent records get fresh checksums; the operator
    // decides whether to load such a file.
    std::vector<std::string> checksumWarnings;
    bool Ok() const { return error.empty(); }
};

// Converts the text of a program file. Lines before the first line that starts with ":" are
// skipped; from there on every non-blank line must be a record ":" LL AAAA TT data CC with
// hexadecimal digits and as many data bytes as LL says; a wrong checksum is only reported in
// `checksumWarnings`. The data are whole
// words (LL even) at an even byte address, and the file ends with its end-of-file record
// (":00000001FF"); nothing but blank lines may follow it. Each other record gives a high and a low
// record with half the count, half the address, the same type, the even or the odd data bytes
// (their digits copied as written) and a fresh checksum.
DspProgram ConvertDspProgram(std::string_view input);

// The checksum warnings one per line, at most `maxLines` of them and then how many more there are;
// empty when there are none.
std::string ChecksumWarningText(const DspProgram& program, std::size_t maxLines = 10);

// The largest program file read, in bytes: 64 K words as Intel HEX take well under 1 MiB.
inline constexpr std::size_t kDspProgramFileLimit = 16u << 20;

// Reads the file at `path` and converts it; an unreadable, empty or larger file (kDspProgramFileLimit)
// gives an error, its size checked before reading.
DspProgram ReadDspProgram(const std::string& path);

}  // namespace orv
