#include "app/cli/station_config.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace orv::cli {
namespace {

constexpr std::size_t kShownLine = 60;  // characters of a refused line shown in the message

const CliOption* FindOption(const std::vector<CliOption>& options, std::string_view key) {
    for (const CliOption& o : options)
        for (const std::string& name : o.names)
            if (name == key && name.size() > 1) return &o;
    return nullptr;
}

std::string_view Trimmed(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

// The line as a message shows it: control bytes escaped, cut after kShownLine characters.
std::string Shown(std::string_view line) {
    std::string out;
    for (std::size_t i = 0; i < line.size() && i < kShownLine; ++i) {
        const auto c = static_cast<unsigned char>(line[i]);
        if (c < 0x20 || c == 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else {
            out += static_cast<char>(c);
        }
    }
    if (line.size() > kShownLine) out += "...";
    return out;
}

std::string Lower(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

// Reads the file line by line, turning keys into command-line words.
class ConfigReader {
public:
    ConfigReader(const std::string& path, const std::vector<CliOption>& options, std::string& error)
        : path_(path), options_(options), error_(error) {}

    // One line (without its line end), numbered from 1; false after setting the error.
    bool Line(std::string_view line, int number) {
        if (number == 1 && line.starts_with("\xEF\xBB\xBF")) line.remove_prefix(3);  // a UTF-8 byte order mark
        if (line.size() > kConfigLineLimit) return Refuse(number, line, "the line is too long");
        if (line.find('\0') != std::string_view::npos) return Refuse(number, line, "the line holds a NUL byte");
        const std::string_view text = Trimmed(line);
        if (text.empty() || text.front() == '#' || text.front() == ';') return true;
        if (text.front() == '[') {
            if (text.back() != ']') return Refuse(number, line, "not a comment, [section] or key = value");
            const std::string_view section = Trimmed(text.substr(1, text.size() - 2));
            if (section != "station" && section != "General")
                return Fail(number, "unknown section \"[" + Shown(section) + "]\" (keys stand at the top or under [station])");
            return true;
        }
        const std::size_t equals = text.find('=');
        if (equals == std::string_view::npos || Trimmed(text.substr(0, equals)).empty())
            return Refuse(number, line, "not a comment, [section] or key = value");
        const std::string_view key = Trimmed(text.substr(0, equals));
        std::string value;
        if (!ReadValue(text.substr(equals + 1), value)) return Refuse(number, line, "a quoted value without its closing quote");
        const CliOption* option = key == "config" ? nullptr : FindOption(options_, key);
        if (option == nullptr) return Fail(number, "unknown key \"" + Shown(key) + "\"");
        const std::string name(key);
        if (option->valueName.empty()) {
            const std::string flag = Lower(value);
            if (flag == "true" || flag == "yes" || flag == "on" || flag == "1") {
                words_.push_back("--" + name);
                return true;
            }
            if (flag == "false" || flag == "no" || flag == "off" || flag == "0") return true;
            return Fail(number, name + " takes true or false, not \"" + Shown(value) + "\"");
        }
        words_.push_back("--" + name);
        words_.push_back(value);
        return true;
    }

    std::vector<std::string> Words() && { return std::move(words_); }

private:
    // The value after '=': in double quotes (\" and \\ inside) kept as written, else up to a ';'
    // comment, blanks around it trimmed. False for a quote that is never closed or is followed by
    // more than a comment.
    static bool ReadValue(std::string_view rest, std::string& value) {
        rest = Trimmed(rest);
        if (rest.empty() || rest.front() != '"') {
            value = std::string(Trimmed(rest.substr(0, rest.find(';'))));
            return true;
        }
        for (std::size_t i = 1; i < rest.size(); ++i) {
            if (rest[i] == '\\' && i + 1 < rest.size() && (rest[i + 1] == '"' || rest[i + 1] == '\\')) {
                value += rest[++i];
            } else if (rest[i] == '"') {
                const std::string_view after = Trimmed(rest.substr(i + 1));
                return after.empty() || after.front() == ';';
            } else {
                value += rest[i];
            }
        }
        return false;
    }

    bool Refuse(int number, std::string_view line, const std::string& what) {
        return Fail(number, what + ": \"" + Shown(line) + "\"");
    }

    bool Fail(int number, const std::string& problem) {
        error_ = "\"" + path_ + "\", line " + std::to_string(number) + ": " + problem;
        return false;
    }

    const std::string& path_;
    const std::vector<CliOption>& options_;
    std::string& error_;
    std::vector<std::string> words_;
};

}  // namespace

std::optional<std::vector<std::string>> ConfigArgumentsFromText(std::string_view text, const std::string& path,
                                                                const std::vector<CliOption>& options,
                                                                std::string& error) {
    ConfigReader reader(path, options, error);
    int number = 0;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        if (!reader.Line(text.substr(0, end), ++number)) return std::nullopt;
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return std::move(reader).Words();
}

std::optional<std::vector<std::string>> ConfigArguments(const std::string& path, const std::vector<CliOption>& options,
                                                        std::string& error) {
    std::error_code ec;
    std::ifstream in;
    if (!std::filesystem::is_directory(path, ec)) in.open(path, std::ios::binary);
    if (!in.is_open()) {
        error = "cannot read the configuration file \"" + path + "\"";
        return std::nullopt;
    }
    ConfigReader reader(path, options, error);
    // Lines are read up to one byte past the limit, so a huge line (or a file without line ends)
    // is refused without being held in memory.
    std::string line(kConfigLineLimit + 2, '\0');
    int number = 0;
    while (in.getline(line.data(), static_cast<std::streamsize>(line.size())) || in.gcount() > 0) {
        const auto got = static_cast<std::size_t>(in.gcount());
        const bool tooLong = in.fail() && !in.eof();
        // gcount counts the '\n' getline took out of the stream.
        const std::size_t length = tooLong || in.eof() ? got : got - 1;
        if (!reader.Line(std::string_view(line.data(), length), ++number)) return std::nullopt;
        if (in.eof()) break;
    }
    if (in.bad()) {
        error = "cannot read the configuration file \"" + path + "\"";
        return std::nullopt;
    }
    return std::move(reader).Words();
}

}  // namespace orv::cli
