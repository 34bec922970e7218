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
#include "app/cli/stream_io.h"
#include "displays/display_json.h"
#include "displays/display_listing.h"
#include "displays/matrix_content.h"
#include "displays/navigation_content.h"
#include "displays/power_content.h"
#include "displays/status_content.h"
#include "displays/temperature_content.h"

namespace orv::cli {
namespace {

constexpr const char* kShowUsage = "[OPTIONS] WINDOW FILE";

using FieldsFunction = std::vector<DisplayField> (*)(const DisplayInput&);

struct WindowChoice {
    const char* name;
    const WindowInfo& (*info)();
    FieldsFunction fields;  // null for the IF matrix
};

const WindowChoice kWindows[] = {
    {"status", StatusWindowInfo, StatusFields},
    {"power", PowerWindowInfo, PowerFields},
    {"temp", TemperatureWindowInfo, TemperatureFields},
    {"nav", NavigationWindowInfo, NavigationFields},
    {"matrix", MatrixWindowInfo, nullptr},
};

const WindowChoice* FindWindow(const std::string& name) {
    for (const auto& w : kWindows)
        if (name == w.name) return &w;
    return nullptr;
}

// The block kind for a message: the letter, or its code when it is not printable.
std::string KindText(ConstBytes block) {
    const char id = BlockId(block);
    if (id > ' ' && id < 0x7F) return std::string("\"") + id + "\"";
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%02X", static_cast<unsigned>(id));
    return buf;
}

// "A-B" (1 <= A <= B) or "A-" (B = 0: to the end); false on anything else.
bool ParseRange(const std::string& text, long long& first, long long& last) {
    const std::size_t dash = text.find('-');
    if (dash == std::string::npos || !CliArgs::ParseInt(text.substr(0, dash), first) || first < 1) return false;
    const std::string end = text.substr(dash + 1);
    if (end.empty()) {
        last = 0;
        return true;
    }
    return CliArgs::ParseInt(end, last) && last >= first;
}

int Fail(const std::string& message, int code = kExitFailure) {
    return code == kExitUsage ? UsageError("show", message) : Failure("show", message);
}

int RunShow(const CliArgs& a, int, char**) {
    const bool raw = a.Has("--raw");
    const bool events = a.Has("--events");
    const bool json = a.Has("--json");
    const auto blockText = a.Value("--block");
    if (a.Rest().size() != 2) return Fail("give a window and a file", kExitUsage);
    const WindowChoice* window = FindWindow(a.Rest()[0]);
    if (!window) return Fail("unknown window \"" + a.Rest()[0] + "\"; give status, power, temp, nav or matrix", kExitUsage);
    if (raw && !window->info().hasRawMode) return Fail("the IF matrix window has no raw mode", kExitUsage);
    const auto recordsText = a.Value("--records");
    if (blockText && recordsText) return Fail("give --block or --records, not both", kExitUsage);
    long long n = 1;
    if (blockText && (!CliArgs::ParseInt(*blockText, n) || n < 1))
        return Fail("--block needs a block number from 1 on, not \"" + *blockText + "\"", kExitUsage);
    long long first = n, last = n;
    if (recordsText && !ParseRange(*recordsText, first, last))
        return Fail("--records needs a range A-B of block numbers from 1 on (B may be left out: to the end), not \"" +
                        *recordsText + "\"",
                    kExitUsage);

    const std::string& path = a.Rest()[1];
    const auto read = ReadAll("show", path);
    if (!read) return kExitFailure;
    const std::vector<std::uint8_t>& bytes = *read;

    // A single block of 512 or 514 bytes, or a telemetry file of 512-byte records.
    const std::size_t recordSize = bytes.size() == kFullBlockBytes ? kFullBlockBytes : kTelemetryBytes;
    const std::size_t records = bytes.size() / recordSize;
    if (records == 0)
        return Fail(InputName(path) + " holds " + std::to_string(bytes.size()) +
                    " bytes, less than one 512-byte block");
    if (bytes.size() % recordSize != 0)
        std::cerr << "orv-cli show: warning: " << InputName(path) << ": File altered or incorrect length; the last "
                  << bytes.size() % recordSize << " bytes are ignored\n";
    if (recordsText && last == 0) last = static_cast<long long>(records);
    if (static_cast<unsigned long long>(recordsText ? first : n) > records)
        return Fail(InputName(path) + " holds " + std::to_string(records) + " block" + (records == 1 ? "" : "s") +
                    ", no block " + std::to_string(recordsText ? first : n));
    last = std::min<long long>(last, static_cast<long long>(records));
    auto record = [&](std::size_t i) { return ConstBytes(bytes).subspan(i * recordSize, recordSize); };

    // The last A block as reception leaves it: the latest record up to the shown one of kind "A".
    ConstBytes lastA;
    for (std::size_t i = 0; i + 1 < static_cast<std::size_t>(first); ++i)
        if (BlockId(record(i)) == 'A') lastA = record(i);
    long long skipped = 0;
    for (long long k = first; k <= last; ++k) {
        const ConstBytes display = record(static_cast<std::size_t>(k - 1));
        if (BlockId(display) == 'A') lastA = display;
        if (!WindowDrawsBlock(display, events)) {
            if (!recordsText)
                return Fail("block " + std::to_string(k) + " is of kind " + KindText(display) +
                            "; the window draws only " +
                            (events ? "\"E\" blocks in Events mode" : "\"A\" blocks (\"E\" blocks with --events)"));
            ++skipped;
            continue;
        }
        const DisplayInput input{display, lastA, events, raw};
        if (json) {
            // One object per block: a range is JSON Lines.
            QJsonObject o = DisplayWindowJson(window->name, input);
            o.insert("block", k);
            std::cout << QJsonDocument(o).toJson(recordsText ? QJsonDocument::Compact : QJsonDocument::Indented)
                             .toStdString();
            if (recordsText) std::cout << "\n";
        } else {
            if (recordsText) std::cout << "# block " << k << "\n";
            std::cout << (window->fields ? FieldListing(window->fields(input)) : MatrixListing(MatrixFields(input)));
        }
    }
    if (skipped != 0)
        std::cerr << "orv-cli show: " << skipped << " block(s) of the range are of a kind the window does not draw\n";
    std::cout.flush();
    return std::cout ? kExitOk : Fail("cannot write the output");
}

}  // namespace

std::vector<CliCommand> DisplayCommands() {
    return {
        {"show", kShowUsage,
         "Print what a display window (WINDOW: status, power, temp, nav or matrix) shows for a block of FILE "
         "(a telemetry file or one 512- or 514-byte block; - for standard input): GROUP, CAPTION, TEXT, COLOUR "
         "per line.",
         {{{"block"}, "N", "the block to show, counted from 1 (default 1)"},
          {{"raw"}, "", "show the raw channel values, as the window's Raw mode"},
          {{"events"}, "", "show an E block in Events mode"},
          {{"records"}, "A-B", "show the blocks A to B (A- : to the end) the window draws, the others skipped; "
                               "with --json one object per line (JSON Lines)"},
          {{"json"}, "", "print JSON (numbers as numbers, in \"value\") instead of the text lines"}},
         RunShow},
    };
}

}  // namespace orv::cli
