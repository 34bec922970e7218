// orv-cli commands of the reception core: crcc, date.
#include <cstdio>
#include <iostream>
#include <vector>

#include "app/cli/cli_args.h"
#include "app/cli/command.h"
#include "files/input_file.h"
#include "reception/crcc.h"
#include "reception/dates.h"

namespace orv::cli {
namespace {

int RunCrcc(std::vector<std::string> args, int, char**) {
    if (args.size() != 1) {
        std::cerr << "usage: orv-cli crcc FILE\n";
        return 2;
    }
    // Read in pieces: memory stays flat whatever the file's size.
    InputFile in;
    std::string error;
    if (!in.Open(args[0], error)) {
        std::cerr << "orv-cli crcc: " << error << "\n";
        return 1;
    }
    std::vector<std::uint8_t> piece(1 << 20);
    std::uint16_t crcc = Crcc({});
    while (const std::size_t got = in.Read(piece.data(), piece.size()))
        crcc = CrccContinue(crcc, std::span(piece.data(), got));
    if (!in.Error().empty()) {
        std::cerr << "orv-cli crcc: " << in.Error() << "\n";
        return 1;
    }
    std::printf("%04X\n", crcc);
    return 0;
}

// Reads "YYYY-MM-DD"; false unless it names a real calendar date.
bool ParseIsoDate(const std::string& text, int& y, int& m, int& d) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return false;
    long long yy, mm, dd;
    if (!CliArgs::ParseInt(text.substr(0, 4), yy) || !CliArgs::ParseInt(text.substr(5, 2), mm) ||
        !CliArgs::ParseInt(text.substr(8, 2), dd))
        return false;
    if (mm < 1 || mm > 12 || dd < 1) return false;
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (yy % 4 == 0 && yy % 100 != 0) || yy % 400 == 0;
    const int maxDay = kDays[mm - 1] + (mm == 2 && leap ? 1 : 0);
    if (dd > maxDay) return false;
    y = static_cast<int>(yy);
    m = static_cast<int>(mm);
    d = static_cast<int>(dd);
    return true;
}

int RunDate(std::vector<std::string> args, int, char**) {
    CliArgs a(std::move(args));
    const auto dayNumberText = a.TakeValue("--day-number");
    int n = 0;
    if (dayNumberText) {
        long long v;
        if (!CliArgs::ParseInt(*dayNumberText, v) || v < 600000 || v > 800000) {
            std::cerr << "orv-cli date: \"" << *dayNumberText
                      << "\" is not a day number between 600000 and 800000\n";
            return 1;
        }
        n = static_cast<int>(v);
    } else {
        int y, m, d;
        if (a.Rest().size() != 1 || !ParseIsoDate(a.Rest()[0], y, m, d) || y < 1900 || y > 2099) {
            std::cerr << "orv-cli date: give a date YYYY-MM-DD between 1900 and 2099, or --day-number N\n";
            return 1;
        }
        n = DayNumber(y, m, d);
    }
    std::printf("%d %d %s\n", n, n - kAmsatDayZero, DateText(n).c_str());
    return 0;
}

}  // namespace

std::vector<CliCommand> ReceptionCommands() {
    return {
        {"crcc", "FILE", "print the CRCC of all bytes of FILE as 4 hexadecimal digits", RunCrcc},
        {"date", "YYYY-MM-DD | --day-number N", "print the day number, the Amsat Day and the date text", RunDate},
    };
}

}  // namespace orv::cli
