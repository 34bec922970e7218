// orv-cli commands of the display windows: show.
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
    long long n = 1;
    if (blockText && (!CliArgs::ParseInt(*blockText, n) || n < 1))
        return Fail("--block needs a block number from 1 on, not \"" + *blockText + "\"", kExitUsage);

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
    if (static_cast<unsigned long long>(n) > records)
        return Fail(InputName(path) + " holds " + std::to_string(records) + " block" + (records == 1 ? "" : "s") +
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
    if (window->fields == nullptr) {
        const MatrixContent m = MatrixFields(input);
        std::cout << (json ? MatrixListingJson(n, m) : MatrixListing(m));
    } else {
        const auto fields = window->fields(input);
        std::cout << (json ? FieldListingJson(window->name, n, fields) : FieldListing(fields));
    }
    std::cout.flush();
    return std::cout ? 0 : Fail("cannot write the output");
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
          {{"json"}, "", "print one JSON object instead of the text lines"}},
         RunShow},
    };
}

}  // namespace orv::cli
