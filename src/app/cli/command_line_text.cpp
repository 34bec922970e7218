#include "app/cli/command_line_text.h"

#include <sstream>

namespace orv::cli {

const char* const kExitStatusText =
    "0 when the command did its work (a station or simulator stopped by SIGINT or SIGTERM included), "
    "1 when an input or output failed (a file that cannot be read or written, a damaged telemetry file, "
    "a serial device or network link that cannot be opened or is lost), "
    "2 when the command line cannot be used (an unknown option, a missing or malformed value, options "
    "that do not fit together).";

namespace {

constexpr std::size_t kWidth = 79;

// "-V, --version" or "--serial PATH".
std::string OptionHead(const CliOption& o) {
    std::string head;
    for (const std::string& name : o.names) {
        if (!head.empty()) head += ", ";
        head += (name.size() == 1 ? "-" : "--") + name;
    }
    if (!o.valueName.empty()) head += " " + o.valueName;
    return head;
}

// `text` broken into lines of at most kWidth columns, each starting with `indent` spaces.
std::string Wrap(const std::string& text, std::size_t indent, std::size_t firstColumn) {
    std::istringstream words(text);
    std::string out, word;
    std::size_t column = firstColumn;
    bool lineStart = true;
    while (words >> word) {
        if (!lineStart && column + 1 + word.size() > kWidth) {
            out += "\n" + std::string(indent, ' ');
            column = indent;
            lineStart = true;
        }
        if (!lineStart) {
            out += ' ';
            ++column;
        }
        out += word;
        column += word.size();
        lineStart = false;
    }
    return out;
}

// Roff text: backslashes doubled, dashes as minus signs, a leading dot or quote protected.
std::string Roff(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\\') out += "\\e";
        else if (c == '-') out += "\\-";
        else out += c;
    }
    if (!out.empty() && (out[0] == '.' || out[0] == '\'')) out.insert(0, "\\&");
    return out;
}

void ManOptions(std::ostringstream& man, const std::vector<CliOption>& options) {
    for (const CliOption& o : options) {
        if (o.hidden) continue;
        man << ".TP\n.B " << Roff(OptionHead(o)) << "\n" << Roff(o.description) << ".\n";
    }
}

}  // namespace

std::string HelpText(const CliPage& page) {
    std::string text = "Usage: " + page.command + (page.synopsis.empty() ? "" : " " + page.synopsis) + "\n\n" +
                       Wrap(page.summary, 0, 0) + "\n";
    std::size_t headWidth = 0;
    for (const CliOption& o : page.options)
        if (!o.hidden) headWidth = std::max(headWidth, OptionHead(o).size());
    headWidth = std::min<std::size_t>(headWidth, 26);
    bool any = false;
    for (const CliOption& o : page.options) {
        if (o.hidden) continue;
        if (!any) text += "\nOptions:\n";
        any = true;
        std::string head = "  " + OptionHead(o);
        const std::size_t column = 2 + headWidth + 2;
        if (head.size() + 2 > column) head += "\n" + std::string(column, ' ');
        else head += std::string(column - head.size(), ' ');
        text += head + Wrap(o.description, column, column) + "\n";
    }
    return text;
}

std::string ManPage(const std::string& program, const std::string& version, const std::string& date,
                    const CliPage& main, const std::vector<CliPage>& subcommands, const std::vector<ManSection>& extra) {
    std::ostringstream man;
    std::string upper = program;
    for (char& c : upper) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    man << ".\\\" Generated from the program's option tables; edit those, not this file.\n"
        << ".TH " << Roff(upper) << " 1 \"" << date << "\" \"Orv " << version << "\" \"User Commands\"\n"
        << ".SH NAME\n" << Roff(program) << " \\- " << Roff(main.summary.substr(0, main.summary.find('.'))) << "\n"
        << ".SH SYNOPSIS\n.B " << Roff(main.command) << "\n" << Roff(main.synopsis) << "\n";
    for (const CliPage& sub : subcommands) man << ".br\n.B " << Roff(sub.command) << "\n" << Roff(sub.synopsis) << "\n";
    man << ".SH DESCRIPTION\n" << Roff(main.summary) << "\n.SH OPTIONS\n";
    ManOptions(man, main.options);
    if (!subcommands.empty()) man << ".SH COMMANDS\n";
    for (const CliPage& sub : subcommands) {
        man << ".SS \"" << Roff(sub.command) << "\"\n" << Roff(sub.summary) << "\n";
        ManOptions(man, sub.options);
    }
    for (const ManSection& s : extra) {
        man << ".SH " << Roff(s.heading) << "\n";
        std::istringstream paragraphs(s.text);
        std::string line;
        bool first = true;
        while (std::getline(paragraphs, line)) {
            if (line.empty()) {
                first = true;
                continue;
            }
            if (first && man.tellp() > 0) man << ".PP\n";
            first = false;
            man << Roff(line) << "\n";
        }
    }
    return man.str();
}

}  // namespace orv::cli
