#pragma once
// Builds Intel HEX records for test programs.
#include <cstdio>
#include <string>
#include <vector>

namespace orv::test {

inline std::string Hex2(unsigned v) {
    char b[4];
    std::snprintf(b, sizeof b, "%02X", v & 0xFFu);
    return b;
}

// One record with its checksum and CR LF.
inline std::string HexRecord(unsigned address, const std::vector<unsigned>& bytes, unsigned type = 0) {
    unsigned sum = static_cast<unsigned>(bytes.size()) + (address >> 8) + (address & 0xFF) + type;
    std::string r(1, ':');
    r += Hex2(static_cast<unsigned>(bytes.size())) + Hex2(address >> 8) + Hex2(address) + Hex2(type);
    for (unsigned b : bytes) {
        r += Hex2(b);
        sum += b;
    }
    return r + Hex2(256 - sum % 256) + "\r\n";
}

inline constexpr const char* kEndOfFileRecord = ":00000001FF\r\n";

// A program of `records` records of 16 bytes (8 words) from byte address 0x0200, and its end record.
inline std::string TestProgram(unsigned records) {
    std::string text;
    for (unsigned r = 0; r < records; ++r) {
        std::vector<unsigned> bytes;
        for (unsigned i = 0; i < 16; ++i) bytes.push_back((r * 16 + i) * 7 + 3);
        text += HexRecord(0x0200 + 16 * r, bytes);
    }
    return text + kEndOfFileRecord;
}

// `program` with the checksum of the record on line `line` (from 1) made wrong.
inline std::string WithWrongChecksum(std::string program, unsigned line) {
    std::size_t end = program.find("\r\n");
    for (unsigned l = 1; l < line; ++l) end = program.find("\r\n", end + 2);
    char& digit = program[end - 1];
    digit = digit == '0' ? '1' : '0';
    return program;
}

}  // namespace orv::test
