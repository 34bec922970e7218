// orv-cli commands of the display windows: show.
#include <algorithm>
#include <array>
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "app/cli/cli_args.h"
#include "app/cli/command.h"
#include "displays/display_listing.h"
#include "displays/matrix_content.h"
#include "displays/navigation_content.h"
#include "displays/power_content.h"
#include "displays/status_content.h"
#include "displays/temperature_content.h"
#include "files/input_file.h"

namespace orv::cli {
namespace {

constexpr const char* kShowUsage = "WINDOW FILE [--block N] [--raw] [--events] [--json]";

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
    const WindowChoice* window = FindWindow(a.Rest()[0]);
    if (!window) return Fail("unknown window \"" + a.Rest()[0] + "\"; give status, power, temp, nav or matrix", 2);
    if (raw && !window->info().hasRawMode) return Fail("the IF matrix window has no raw mode", 2);
    long long n = 1;
    if (blockText && (!CliArgs::ParseInt(*blockText, n) || n < 1))
        return Fail("--block needs a block number from 1 on, not \"" + *blockText + "\"", 2);

    const std::string& path = a.Rest()[1];
    InputFile in;
    std::string error;
    if (!in.Open(path, error)) return Fail(error);
    // The records are read one at a time; only block N and the last A block up to it are kept,
    // so memory stays flat whatever the file's size. The first bytes tell a single 514-byte block.
    std::array<std::uint8_t, kFullBlockBytes + 1> head{};
    std::size_t headUsed = 0, headSize = 0;
    const auto fill = [&](std::uint8_t* to, std::size_t size) {
        std::size_t used = std::min(size, headSize - headUsed);
        std::copy_n(head.data() + headUsed, used, to);
        headUsed += used;
        while (used < size) {
            const std::size_t got = in.Read(to + used, size - used);
            if (got == 0) break;
            used += got;
        }
        return used;
    };
    headSize = fill(head.data(), head.size());
    headUsed = 0;
    const std::size_t recordSize = headSize == kFullBlockBytes ? kFullBlockBytes : kTelemetryBytes;
    std::vector<std::uint8_t> record(recordSize), shown, lastABytes;
    std::uint64_t records = 0, strayBytes = 0;
    while (const std::size_t got = fill(record.data(), recordSize)) {
        if (got < recordSize) {
            strayBytes = got;
            break;
        }
        ++records;
        if (records > static_cast<unsigned long long>(n)) continue;
        if (BlockId(record) == 'A') lastABytes = record;
        if (records == static_cast<unsigned long long>(n)) shown = record;
    }
    if (!in.Error().empty()) return Fail(in.Error());

    // A single block of 512 or 514 bytes, or a telemetry file of 512-byte records.
    if (records == 0)
        return Fail("\"" + path + "\" holds " + std::to_string(strayBytes) + " bytes, less than one 512-byte block");
    if (strayBytes != 0)
        std::cerr << "orv-cli show: warning: \"" << path << "\": File altered or incorrect length; the last "
                  << strayBytes << " bytes are ignored\n";
    if (static_cast<unsigned long long>(n) > records)
        return Fail("\"" + path + "\" holds " + std::to_string(records) + " block" + (records == 1 ? "" : "s") +
                    ", no block " + std::to_string(n));

    const ConstBytes display(shown);
    if (!WindowDrawsBlock(display, events))
        return Fail("block " + std::to_string(n) + " is of kind " + KindText(display) + "; the window draws only " +
                    (events ? "\"E\" blocks in Events mode" : "\"A\" blocks (\"E\" blocks with --events)"));
    // The last A block as reception leaves it: the latest record up to N of kind "A".
    const ConstBytes lastA = lastABytes.empty() ? ConstBytes() : ConstBytes(lastABytes);

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
         "print what a display window (status, power, temp, nav, matrix) shows for block N of FILE: "
         "GROUP, CAPTION, TEXT, COLOUR per line",
         RunShow},
    };
}

}  // namespace orv::cli
