// orv-cli commands of the display windows: show.
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <array>
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "app/cli/cli_args.h"
#include "app/cli/command.h"
#include "app/cli/stream_io.h"
#include "forward/display_json.h"
#include "displays/display_listing.h"
#include "displays/matrix_content.h"
#include "displays/navigation_content.h"
#include "displays/power_content.h"
#include "displays/status_content.h"
#include "displays/temperature_content.h"
#include "files/input_file.h"

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
    InputFile in;
    if (!OpenInput("show", path, in)) return kExitFailure;
    // The records are read one at a time; only the block shown and the last A block before it are
    // kept, so memory stays flat whatever the file's size. The first bytes tell a single 514-byte block.
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
    // A single block of 512 or 514 bytes, or a telemetry file of 512-byte records.
    const std::size_t recordSize = headSize == kFullBlockBytes ? kFullBlockBytes : kTelemetryBytes;

    // Prints block k as the window draws it; false when the window does not draw its kind.
    const auto show = [&](long long k, ConstBytes display, ConstBytes lastA) {
        if (!WindowDrawsBlock(display, events)) return false;
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
        return true;
    };

    std::vector<std::uint8_t> record(recordSize), shown, lastA, shownLastA;
    std::uint64_t records = 0, strayBytes = 0;
    long long skipped = 0;
    while (const std::size_t got = fill(record.data(), recordSize)) {
        if (got < recordSize) {
            strayBytes = got;
            break;
        }
        const auto k = static_cast<long long>(++records);
        if (last != 0 && k > last) continue;
        if (BlockId(record) == 'A') lastA = record;
        if (k < first) continue;
        if (!recordsText) {
            // The single block is shown once the file is known to be whole enough.
            shown = record;
            shownLastA = lastA;
        } else if (!show(k, ConstBytes(record), lastA.empty() ? ConstBytes() : ConstBytes(lastA))) {
            ++skipped;
        }
    }
    if (!in.Error().empty()) return Fail(in.Error());

    if (records == 0)
        return Fail(InputName(path) + " holds " + std::to_string(strayBytes) + " bytes, less than one 512-byte block");
    if (strayBytes != 0)
        std::cerr << "orv-cli show: warning: " << InputName(path) << ": File altered or incorrect length; the last "
                  << strayBytes << " bytes are ignored\n";
    if (static_cast<unsigned long long>(first) > records)
        return Fail(InputName(path) + " holds " + std::to_string(records) + " block" + (records == 1 ? "" : "s") +
                    ", no block " + std::to_string(first));
    if (!recordsText && !show(n, ConstBytes(shown), shownLastA.empty() ? ConstBytes() : ConstBytes(shownLastA))) {
        const ConstBytes display(shown);
        return Fail("block " + std::to_string(n) + " is of kind " + KindText(display) + "; the window draws only " +
                    (events ? "\"E\" blocks in Events mode" : "\"A\" blocks (\"E\" blocks with --events)"));
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
