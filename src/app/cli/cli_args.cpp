#include "app/cli/cli_args.h"

#include <charconv>

namespace orv::cli {

bool CliArgs::TakeFlag(const std::string& flag) {
    for (auto it = args_.begin(); it != args_.end(); ++it) {
        if (*it == flag) {
            args_.erase(it);
            return true;
        }
    }
    return false;
}

std::optional<std::string> CliArgs::TakeValue(const std::string& name) {
    auto all = TakeAllValues(name);
    if (all.empty()) return std::nullopt;
    return all.front();
}

std::vector<std::string> CliArgs::TakeAllValues(const std::string& name) {
    std::vector<std::string> values;
    const std::string prefix = name + "=";
    for (std::size_t i = 0; i < args_.size();) {
        if (args_[i] == name) {
            if (i + 1 >= args_.size()) {
                error_ = "option " + name + " needs a value";
                args_.erase(args_.begin() + static_cast<long>(i));
                continue;
            }
            values.push_back(args_[i + 1]);
            args_.erase(args_.begin() + static_cast<long>(i), args_.begin() + static_cast<long>(i) + 2);
        } else if (args_[i].rfind(prefix, 0) == 0) {
            values.push_back(args_[i].substr(prefix.size()));
            args_.erase(args_.begin() + static_cast<long>(i));
        } else {
            ++i;
        }
    }
    return values;
}

std::string CliArgs::UnknownOption() const {
    for (const auto& a : args_)
        if (a.size() > 2 && a.rfind("--", 0) == 0) return a;
    return {};
}

bool CliArgs::ParseInt(const std::string& text, long long& value) {
    if (text.empty()) return false;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(first, last, value);
    return ec == std::errc() && ptr == last;
}

}  // namespace orv::cli

namespace orv::cli {

GlobalOptions& Globals() {
    static GlobalOptions options;
    return options;
}

}  // namespace orv::cli
