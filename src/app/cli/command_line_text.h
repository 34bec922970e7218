#pragma once
// The option tables of orv and orv-cli, and the two texts made from them: --help on the terminal
// and the man page (roff). Both come from the same table, so they never disagree.
#include <string>
#include <vector>

namespace orv::cli {

struct CliOption {
    // Names without dashes; a one-letter name is a short option ("-V"), longer ones long ("--version").
    std::vector<std::string> names;
    std::string valueName;    // "FILE" for an option that takes a value; empty for a flag
    std::string description;  // one line, starting in lower case, without a final full stop
    bool hidden = false;      // accepted but left out of --help and the man page
};

// What --help and the man page say about one program or subcommand.
struct CliPage {
    std::string command;   // "orv-cli station", "orv"
    std::string synopsis;  // arguments after the command: "[OPTIONS] FILE"
    std::string summary;   // one or more sentences
    std::vector<CliOption> options;
};

// "Usage: COMMAND SYNOPSIS", the summary wrapped to 79 columns and one line per option.
std::string HelpText(const CliPage& page);

// A section of the man page: a heading and plain paragraphs (separated by blank lines).
struct ManSection {
    std::string heading;
    std::string text;
};

// A man page (section 1) of `program`: NAME, SYNOPSIS, DESCRIPTION with the program's options,
// then one subsection per subcommand page (may be empty), then `extra` sections.
std::string ManPage(const std::string& program, const std::string& version, const std::string& date,
                    const CliPage& main, const std::vector<CliPage>& subcommands, const std::vector<ManSection>& extra);

// The exit codes shared by every orv-cli subcommand, for --help, the man page and the README.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;  // input or output failed (a file, a device, a link)
inline constexpr int kExitUsage = 2;    // the command line cannot be used
extern const char* const kExitStatusText;

}  // namespace orv::cli
