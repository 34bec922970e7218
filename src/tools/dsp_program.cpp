#include "tools/dsp_program.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

namespace orv {
namespace {

constexpr std::string_view kEndRecord = ":00000001FF\r\n";
constexpr int kEndOfFileType = 0x01;

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// The byte written as the two hexadecimal digits at text[i], text[i + 1] (already checked).
int ByteAt(std::string_view text, std::size_t i) { return HexValue(text[i]) * 16 + HexValue(text[i + 1]); }

std::string Hex(unsigned value, int digits) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%0*X", digits, value);
    return buffer;
}

std::string LineError(int line, const std::string& what) { return "line " + std::to_string(line) + ": " + what; }

struct Record {
    std::string_view text;  // ":" LL AAAA TT data CC
    int count = 0;
    unsigned address = 0;
    int type = 0;
};

// Checks one record line; returns an empty string when it can be converted. A wrong checksum does
// not stop the conversion (the halves get fresh checksums); it is described in `checksumWarning`.
std::string CheckRecord(std::string_view text, int line, Record& record, std::string& checksumWarning) {
    if (text.front() != ':') return LineError(line, "a record must start with \":\"");
    for (std::size_t i = 1; i < text.size(); ++i)
        if (HexValue(text[i]) < 0)
            return LineError(line, "character " + std::to_string(i + 1) + " is not a hexadecimal digit");
    if (text.size() < 11) return LineError(line, "the record is too short");
    record.text = text;
    record.count = ByteAt(text, 1);
    record.address = static_cast<unsigned>(ByteAt(text, 3) * 256 + ByteAt(text, 5));
    record.type = ByteAt(text, 7);
    const std::size_t expected = 11 + 2 * static_cast<std::size_t>(record.count);
    if (text.size() != expected)
        return LineError(line, "the count " + Hex(static_cast<unsigned>(record.count), 2) + " needs " +
                                   std::to_string(expected) + " characters, the record has " +
                                   std::to_string(text.size()));
    unsigned sum = 0;
    for (std::size_t i = 1; i + 2 < text.size(); i += 2) sum += static_cast<unsigned>(ByteAt(text, i));
    const unsigned wanted = (256 - sum % 256) % 256;
    if (static_cast<unsigned>(ByteAt(text, text.size() - 2)) != wanted)
        checksumWarning = LineError(line, "checksum " + std::string(text.substr(text.size() - 2)) +
                                              " is wrong, the record needs " + Hex(wanted, 2));
    if (record.type == kEndOfFileType && record.count != 0)
        return LineError(line, "an end-of-file record carries no data");
    if (record.count % 2 != 0)
        return LineError(line, "odd count " + Hex(static_cast<unsigned>(record.count), 2) +
                                   ": the data must be whole 16-bit words");
    if (record.address % 2 != 0)
        return LineError(line, "odd address " + Hex(record.address, 4) + ": words must start at an even address");
    return {};
}

// The high (first = 0) or low (first = 1) half of a record, CR LF included.
std::string HalfRecord(const Record& r, int first) {
    const int count = r.count / 2;
    const unsigned address = r.address / 2;
    unsigned sum = static_cast<unsigned>(count) + (address >> 8) + (address & 0xFF) + static_cast<unsigned>(r.type);
    std::string out(1, ':');
    out += Hex(static_cast<unsigned>(count), 2);
    out += Hex(address, 4);
    out += r.text.substr(7, 2);
    for (int i = first; i < r.count; i += 2) {
        const std::size_t at = 9 + 2 * static_cast<std::size_t>(i);
        out += r.text.substr(at, 2);
        sum += static_cast<unsigned>(ByteAt(r.text, at));
    }
    out += Hex((256 - sum % 256) % 256, 2);
    out += "\r\n";
    return out;
}

bool IsBlank(std::string_view text) {
    // Spaces, tabs and the end-of-file mark (Ctrl-Z) some editors leave behind count as blank.
    return text.find_first_not_of(" \t\r\x1A") == std::string_view::npos;
}

std::string_view WithoutTrailingBlanks(std::string_view text) {
    const std::size_t end = text.find_last_not_of(" \t\r\x1A");
    return end == std::string_view::npos ? std::string_view() : text.substr(0, end + 1);
}

}  // namespace

DspProgram ConvertDspProgram(std::string_view input) {
    DspProgram result;
    std::vector<Record> records;
    bool started = false;
    int endLine = 0;       // line of the end-of-file record, once seen
    int lastLine = 0;      // line of the last record
    int line = 0;
    for (std::size_t pos = 0; pos < input.size();) {
        std::size_t next = input.find('\n', pos);
        if (next == std::string_view::npos) next = input.size();
        const std::string_view text = input.substr(pos, next - pos);
        pos = next + 1;
        ++line;
        if (!started && (text.empty() || text.front() != ':')) continue;
        started = true;
        if (IsBlank(text)) continue;
        if (endLine != 0) {
            result.error = LineError(line, "text after the end-of-file record on line " + std::to_string(endLine));
            return result;
        }
        Record record;
        std::string checksumWarning;
        result.error = CheckRecord(WithoutTrailingBlanks(text), line, record, checksumWarning);
        if (!result.Ok()) return result;
        if (!checksumWarning.empty()) result.checksumWarnings.push_back(std::move(checksumWarning));
        lastLine = line;
        if (record.type == kEndOfFileType) endLine = line;
        else records.push_back(record);
    }
    if (!started) {
        result.checksumWarnings.clear();
        result.error = "no Intel HEX record (a line starting with \":\") in the file";
        return result;
    }
    if (endLine == 0) {
        result.checksumWarnings.clear();
        result.error = LineError(lastLine, "the file does not end with an end-of-file record (:00000001FF)");
        return result;
    }
    std::string& out = result.text;
    out.reserve(2 * kEndRecord.size() + 5 + records.size() * 64);
    out += 'H';
    for (const Record& r : records) out += HalfRecord(r, 0);
    out += kEndRecord;
    out += 'L';
    for (const Record& r : records) out += HalfRecord(r, 1);
    out += kEndRecord;
    out += "G\r\n";
    return result;
}

std::string ChecksumWarningText(const DspProgram& program, std::size_t maxLines) {
    std::string text;
    const std::size_t count = program.checksumWarnings.size();
    for (std::size_t i = 0; i < count && i < maxLines; ++i) text += program.checksumWarnings[i] + "\n";
    if (count > maxLines) text += "and " + std::to_string(count - maxLines) + " more records with a wrong checksum\n";
    return text;
}

DspProgram ReadDspProgram(const std::string& path) {
    DspProgram result;
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        result.error = "\"" + path + "\" is a directory";
        return result;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        result.error = "cannot open \"" + path + "\": " + std::strerror(errno);
        return result;
    }
    // The size is checked first, and a device or a pipe is read no further than the limit.
    const auto tooLarge = [&](const std::string& size) {
        result.error = "\"" + path + "\" holds " + size + " bytes; a DSP-93 program file is far smaller (at most " +
                       std::to_string(kDspProgramFileLimit) + " bytes are read)";
        return result;
    };
    if (std::filesystem::is_regular_file(path, ec)) {
        const auto size = std::filesystem::file_size(path, ec);
        if (!ec && size > kDspProgramFileLimit) return tooLarge(std::to_string(size));
    }
    std::string content;
    char piece[1 << 16];
    while (content.size() <= kDspProgramFileLimit && in.read(piece, sizeof piece).gcount() > 0)
        content.append(piece, static_cast<std::size_t>(in.gcount()));
    if (in.bad()) {
        result.error = "cannot read \"" + path + "\"";
        return result;
    }
    if (content.size() > kDspProgramFileLimit) return tooLarge("more than " + std::to_string(kDspProgramFileLimit));
    if (content.empty()) {
        result.error = "\"" + path + "\" is empty";
        return result;
    }
    result = ConvertDspProgram(content);
    if (!result.Ok()) result.error = "\"" + path + "\": " + result.error;
    for (std::string& warning : result.checksumWarnings) warning = "\"" + path + "\": " + warning;
    return result;
}

}  // namespace orv
