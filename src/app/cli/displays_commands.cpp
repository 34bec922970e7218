// orv-cli commands of the display windows: show.
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "app/cli/cli_args.h"
#include "app/cli/command.h"
#include "displays/display_json.h"
#include "displays/display_listing.h"
#include "displays/matrix_content.h"

namespace orv::cli {
namespace {

constexpr const char* kShowUsage = "WINDOW FILE [--block N] [--raw] [--events] [--json]";

// The block kind for a message: the letter, or its code when it is not printable.
std::string KindText(ConstBytes block) {
    const char id = BlockId(block);
    if (id > ' ' && id < 0x7F) return std::string("\"") + id + "\"";
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%02X", static_cast<unsigned>(id));
    return buf;
}

int Fail(const std::string& message, int code = 1) {
    std::cerr << "orv-cli show: " << message << "\n";
    return code;
}

int RunShow(std::vector<std::string> args, int, char**) {
    CliArgs a(std::move(args));
    const bool raw = a.TakeFlag("--raw");
    const bool events = a.TakeFlag("--events");
    const bool json = a.TakeFlag("--json");
    const auto blockText = a.TakeValue("--block");
    if (!a.Error().empty()) return Fail(a.Error(), 2);
    if (!a.UnknownOption().empty()) return Fail("unknown option " + a.UnknownOption(), 2);
    if (a.Rest().size() != 2) return Fail(std::string("usage: orv-cli show ") + kShowUsage, 2);
    const NamedDisplayWindow* window = FindDisplayWindow(a.Rest()[0]);
    if (!window) return Fail("unknown window \"" + a.Rest()[0] + "\"; give status, power, temp, nav or matrix", 2);
    if (raw && !window->info().hasRawMode) return Fail("the IF matrix window has no raw mode", 2);
    long long n = 1;
    if (blockText && (!CliArgs::ParseInt(*blockText, n) || n < 1))
        return Fail("--block needs a block number from 1 on, not \"" + *blockText + "\"", 2);

    const std::string& path = a.Rest()[1];
    std::ifstream in(path, std::ios::binary);
    if (!in) return Fail("cannot open \"" + path + "\"");
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return Fail("cannot read \"" + path + "\"");

    // A single block of 512 or 514 bytes, or a telemetry file of 512-byte records.
    const std::size_t recordSize = bytes.size() == kFullBlockBytes ? kFullBlockBytes : kTelemetryBytes;
    const std::size_t records = bytes.size() / recordSize;
    if (records == 0)
        return Fail("\"" + path + "\" holds " + std::to_string(bytes.size()) +
                    " bytes, less than one 512-byte block");
    if (bytes.size() % recordSize != 0)
        std::cerr << "orv-cli show: warning: \"" << path << "\": File altered or incorrect length; the last "
                  << bytes.size() % recordSize << " bytes are ignored\n";
    if (static_cast<unsigned long long>(n) > records)
        return Fail("\"" + path + "\" holds " + std::to_string(records) + " block" + (records == 1 ? "" : "s") +
                    ", no block " + std::to_string(n));
    auto record = [&](std::size_t i) { return ConstBytes(bytes).subspan(i * recordSize, recordSize); };

    const ConstBytes display = record(static_cast<std::size_t>(n - 1));
    if (!WindowDrawsBlock(display, events))
        return Fail("block " + std::to_string(n) + " is of kind " + KindText(display) + "; the window draws only " +
                    (events ? "\"E\" blocks in Events mode" : "\"A\" blocks (\"E\" blocks with --events)"));
    // The last A block as reception leaves it: the latest record up to N of kind "A".
    ConstBytes lastA;
    for (std::size_t i = static_cast<std::size_t>(n); i-- > 0;)
        if (BlockId(record(i)) == 'A') {
            lastA = record(i);
            break;
        }

    const DisplayInput input{display, lastA, events, raw};
    if (json) {
        QJsonObject content = DisplayWindowJson(window->name, input);
        content.insert("block", n);
        std::cout << QJsonDocument(content).toJson(QJsonDocument::Indented).toStdString();
    } else if (window->fields == nullptr) {
        std::cout << MatrixListing(MatrixFields(input));
    } else {
        std::cout << FieldListing(window->fields(input));
    }
    std::cout.flush();
    return std::cout ? 0 : Fail("cannot write the output");
}

}  // namespace

std::vector<CliCommand> DisplayCommands() {
    return {
        {"show", kShowUsage,
         "print what a display window (status, power, temp, nav, matrix) shows for block N of FILE: "
         "GROUP, CAPTION, TEXT, COLOUR per line",
         RunShow},
    };
}

}  // namespace orv::cli
