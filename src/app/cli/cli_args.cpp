#include "app/cli/cli_args.h"

#include <QCommandLineParser>
#include <QStringList>
#include <cctype>
#include <charconv>

namespace orv::cli {

namespace {

// The parser's complaint in the words of the other messages: "unknown option --colour",
// "option --blocks needs a value", "option --raw takes no value".
std::string ParseErrorText(const QCommandLineParser& parser) {
    const QStringList unknown = parser.unknownOptionNames();
    if (!unknown.isEmpty()) {
        const QString& name = unknown.front();
        return "unknown option " + std::string(name.size() == 1 ? "-" : "--") + name.toStdString();
    }
    const QString text = parser.errorText();
    const qsizetype open = text.indexOf('\''), close = text.lastIndexOf('\'');
    const std::string option = open >= 0 && close > open ? text.mid(open + 1, close - open - 1).toStdString() : "";
    if (text.startsWith(QStringLiteral("Missing value"))) return "option " + option + " needs a value";
    if (text.startsWith(QStringLiteral("Unexpected value"))) return "option " + option + " takes no value";
    std::string error = text.toStdString();
    if (!error.empty() && error.back() == '.') error.pop_back();
    if (!error.empty()) error[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(error[0])));
    return error;
}

}  // namespace

std::optional<CliArgs> CliArgs::Parse(const std::vector<CliOption>& options, const std::vector<std::string>& args,
                                      std::string& error) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const CliOption& o : options) {
        QStringList names;
        for (const std::string& n : o.names) names << QString::fromStdString(n);
        parser.addOption(QCommandLineOption(names, QString::fromStdString(o.description),
                                            QString::fromStdString(o.valueName)));
    }
    QStringList list{QStringLiteral("orv-cli")};  // the parser skips the program name
    for (const std::string& a : args) list << QString::fromStdString(a);
    if (!parser.parse(list)) {
        error = ParseErrorText(parser);
        return std::nullopt;
    }
    CliArgs parsed;
    parsed.words_ = args;
    for (const CliOption& o : options) {
        const QString name = QString::fromStdString(o.names.back());
        if (!parser.isSet(name)) continue;
        auto& values = parsed.values_[o.names.back()];
        if (!o.valueName.empty())
            for (const QString& v : parser.values(name)) values.push_back(v.toStdString());
    }
    // The parser reports the name as written: map short names to the option's long name.
    for (const QString& n : parser.optionNames()) {
        std::string name = n.toStdString();
        for (const CliOption& o : options)
            for (const std::string& alias : o.names)
                if (alias == name) name = o.names.back();
        parsed.order_.push_back(name);
    }
    for (const QString& p : parser.positionalArguments()) parsed.rest_.push_back(p.toStdString());
    return parsed;
}

namespace {
std::string Bare(const std::string& option) { return option.substr(option.find_first_not_of('-')); }
}  // namespace

bool CliArgs::Has(const std::string& option) const { return values_.count(Bare(option)) != 0; }

std::optional<std::string> CliArgs::Value(const std::string& option) const {
    const auto it = values_.find(Bare(option));
    if (it == values_.end() || it->second.empty()) return std::nullopt;
    return it->second.back();
}

std::vector<std::string> CliArgs::Values(const std::string& option) const {
    const auto it = values_.find(Bare(option));
    return it == values_.end() ? std::vector<std::string>{} : it->second;
}

bool CliArgs::ParseInt(const std::string& text, long long& value) {
    if (text.empty()) return false;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(first, last, value);
    return ec == std::errc() && ptr == last;
}

bool AsksForHelp(const std::vector<std::string>& args) {
    for (const std::string& a : args) {
        if (a == "--") return false;
        if (a == "-h" || a == "--help") return true;
    }
    return false;
}

GlobalOptions& Globals() {
    static GlobalOptions options;
    return options;
}

CliOption SettingsOption() {
    return {{"settings"}, "FILE", "keep the settings in FILE (INI) instead of the user's store"};
}

CliOption SerialOption() {
    return {{"serial"}, "PATH", "the serial device, overriding the \"Com Port No.\" setting"};
}

void TakeGlobals(const CliArgs& args) {
    if (auto v = args.Value("--settings")) Globals().settingsFile = *v;
    if (auto v = args.Value("--serial")) Globals().serialPath = *v;
}

}  // namespace orv::cli
