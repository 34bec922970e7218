// orv-cli commands of the telemetry files: filter, export, graph.
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <span>
#include <string>
#include <vector>

#include "app/cli/cli_args.h"
#include "app/cli/command.h"
#include "app/cli/stream_io.h"
#include "app/cli/telemetry_number_text.h"
#include "displays/navigation_content.h"
#include "displays/power_content.h"
#include "displays/status_content.h"
#include "displays/temperature_content.h"
#include "files/channel_graph.h"
#include "files/graph_picture.h"
#include "files/named_output.h"
#include "files/output_file.h"
#include "files/telemetry_export.h"
#include "files/telemetry_filter.h"
#include "files/mapped_log_file.h"
#include "files/telemetry_number.h"

namespace orv::cli {
namespace {

namespace fs = std::filesystem;

const char* kFilterUsage = "[OPTIONS] IN OUT";
const char* kExportUsage = "--addr ADDRESS [--mask MASK] [--addr ADDRESS [--mask MASK]]... [OPTIONS] IN OUT";
const char* kGraphUsage = "--addr ADDRESS [OPTIONS] IN";

// A window's refusal ("Stop: is not ...\n        Please re-enter!") as one terminal line.
std::string TerminalText(std::string text) {
    const std::size_t cut = text.find("\n        Please re-enter!");
    if (cut != std::string::npos) text.erase(cut);
    std::string joined;
    for (char c : text) {
        if (c == '\n') c = ' ';
        if (!(c == ' ' && !joined.empty() && joined.back() == ' ')) joined += c;
    }
    text = joined;
    const std::size_t bang = text.find("! ");
    if (bang != std::string::npos) text.replace(bang, 2, ": ");  // "File error! File altered" reads as one line
    return text;
}

// A telemetry file, or standard input ("-") read to its end: both commands need the whole input
// (the filter compares neighbouring records and event slots, the export counts the blocks).
bool OpenInput(const std::string& command, const std::string& path, MappedLogFile& image) {
    if (path == "-") {
        auto bytes = ReadAll(command, path);
        if (!bytes) return false;
        image = MappedLogFile::FromBytes(std::move(*bytes));
        return true;
    }
    std::string error;
    if (image.Open(path, error)) return true;
    Failure(command, "cannot read \"" + path + "\": " + error);
    return false;
}

bool WriteStdout(const void* data, std::size_t bytes) {
    return std::fwrite(data, 1, bytes, stdout) == bytes && std::fflush(stdout) == 0;
}

int RunFilter(const CliArgs& a, int, char**) {
    const std::string kindText = a.Value("--kind").value_or("all");
    const std::string crccText = a.Value("--crcc").value_or("filter");
    const bool force = a.Has("--force");
    if (a.Rest().size() != 2) return UsageError("filter", "give one input and one output file");
    FilterKind kind;
    if (kindText == "all") kind = FilterKind::All;
    else if (kindText == "A") kind = FilterKind::A;
    else if (kindText == "D") kind = FilterKind::D;
    else if (kindText == "E") kind = FilterKind::E;
    else if (kindText == "K") kind = FilterKind::K;
    else return UsageError("filter", "--kind must be all, A, D, E or K");
    CrccMode mode;
    if (crccText == "filter") mode = CrccMode::Filter;
    else if (crccText == "ignore") mode = CrccMode::Ignore;
    else return UsageError("filter", "--crcc must be filter or ignore");

    const std::string in = a.Rest()[0];
    const std::string out = a.Rest()[1];
    FilterResult r;
    if (in == "-" || out == "-") {
        // A stream at either end: the copy loop over the whole input, written as it goes.
        MappedLogFile image;
        if (!OpenInput("filter", in, image)) return kExitFailure;
        if (!image.HasWholeLength()) return Failure("filter", InputName(in) + ": " + TerminalText(std::string(kFileErrorText)));
        if (out != "-" && fs::exists(out) && !force)
            return Failure("filter", "\"" + out + "\" already exists; use --force to replace it");
        OutputFile file;
        std::string error;
        if (out != "-" && !file.Open(out, error)) return Failure("filter", error);
        const FilterCounts c = FilterRecords(image, kind, mode, [&](std::span<const RecordRun> runs) {
            if (out != "-") return file.WritePieces(runs);
            for (const RecordRun& run : runs)
                if (!WriteStdout(run.data, run.bytes)) return false;
            return true;
        });
        if (!c.readError.empty()) {
            if (out != "-") file.Discard();
            return Failure("filter", "cannot read " + InputName(in) + ": " + c.readError);
        }
        const bool closed = out == "-" || file.Close(error);
        if (c.writeFailed || !closed) {
            if (out != "-") file.Discard();
            return Failure("filter", "cannot write " + OutputName(out) + (error.empty() ? "" : ": " + error));
        }
        r.ran = true;
        r.inputBlocks = c.inputBlocks;
        r.writtenBlocks = c.writtenBlocks;
    } else {
        bool existed = false;
        r = FilterFile(in, out, kind, mode, [&](const fs::path&) {
            existed = true;
            return force;
        });
        if (r.damagedInput) return Failure("filter", InputName(in) + ": " + TerminalText(std::string(kFileErrorText)));
        if (!r.ran) {
            if (existed && !force) return Failure("filter", "\"" + out + "\" already exists; use --force to replace it");
            return Failure("filter", r.message);
        }
    }
    // The counts go to stderr when the records go to standard output.
    std::fprintf(out == "-" ? stderr : stdout, "%llu %llu\n", static_cast<unsigned long long>(r.inputBlocks),
                 static_cast<unsigned long long>(r.writtenBlocks));
    return kExitOk;
}

// Opens IN as the Replay window would: a damaged length is reported and the whole records used.
bool OpenTelemetry(const std::string& command, const std::string& path, MappedLogFile& image) {
    if (!OpenInput(command, path, image)) return false;
    if (!image.HasWholeLength())
        std::cerr << "orv-cli " << command << ": warning: " << InputName(path) << ": "
                  << TerminalText(std::string(kFileErrorText)) << "\n";
    if (image.BlockCount() == 0) {
        Failure(command, InputName(path) + " holds no blocks");
        return false;
    }
    return true;
}

int RunExport(const CliArgs& a, int, char**) {
    // --addr and --mask are read in order: each mask belongs to the address before it.
    ExportFields fields;
    const std::vector<std::string> addresses = a.Values("--addr");
    const std::vector<std::string> masks = a.Values("--mask");
    std::size_t channels = 0, maskCount = 0;
    bool maskGiven = false;
    for (const std::string& name : a.Order()) {
        if (name == "addr") {
            if (channels == kExportChannels) return UsageError("export", "at most 8 channels");
            fields.addresses[channels] = TelemetryNumberText(addresses[channels]);
            ++channels;
            maskGiven = false;
        } else if (name == "mask") {
            if (channels == 0) return UsageError("export", "--mask must follow the --addr it applies to");
            if (maskGiven) return UsageError("export", "one --mask per --addr");
            fields.masks[channels - 1] = TelemetryNumberText(masks[maskCount++]);
            maskGiven = true;
        }
    }
    if (a.Rest().size() != 2) return UsageError("export", "give one input and one output file");
    if (a.Has("--raw") && a.Has("--trans")) return UsageError("export", "give --raw or --trans, not both");
    const std::string format = a.Value("--format").value_or("export");
    if (format != "export" && format != "csv") return UsageError("export", "--format must be export or csv");
    fields.raw = !a.Has("--trans");
    fields.csv = format == "csv";

    const std::string in = a.Rest()[0];
    const std::string out = a.Rest()[1];
    if (in != "-" && out != "-")
        if (const std::string refused = OutputOverInputError(out, {in}); !refused.empty()) return Failure("export", refused);
    MappedLogFile image;
    if (!OpenTelemetry("export", in, image)) return kExitFailure;
    const auto total = static_cast<std::uint32_t>(std::min<std::uint64_t>(image.BlockCount(), UINT32_MAX));
    fields.startText = a.Value("--start").value_or("1");
    fields.stopText = a.Value("--stop").value_or(std::to_string(total));
    const ExportCheck check = PrepareExport(fields, total);
    if (!check.plan) return UsageError("export", TerminalText(check.message));
    const ExportResult r = out == "-" ? ExportLines(image, *check.plan, WriteStdout) : ExportFile(image, *check.plan, out);
    if (!r.readError.empty()) return Failure("export", "cannot read " + InputName(in) + ": " + r.readError);
    if (!r.written) return Failure("export", "cannot write " + OutputName(out) + ": " + r.message);
    if (r.skippedTime != 0) {
        std::cerr << "orv-cli export: " << r.skippedTime
                  << " A block(s) left out because their date or time text is not a valid number\n";
    }
    return kExitOk;
}

// The channel a display window's caption hands to the graph for this address, or, for an address
// no caption names, one titled by the address.
GraphRequest CaptionRequest(int address) {
    Block514 block{};
    block[0] = 'A';
    block[1] = ' ';
    const DisplayInput input{block, block, false, false};
    for (const auto& fields : {StatusFields(input), PowerFields(input), TemperatureFields(input), NavigationFields(input)}) {
        for (const DisplayField& f : fields)
            if (f.info.graph && f.info.graph->address == address) return f.info.graph->Request();
    }
    return {address, "Telem. addr = " + TelemetryAddressText(address), ""};
}

int RunGraph(const CliArgs& a, int, char**) {
    auto address = a.Value("--addr");
    const auto start = a.Value("--start");
    const auto stop = a.Value("--stop");
    const auto png = a.Value("--png");
    const bool raw = a.Has("--raw");
    const bool trans = a.Has("--trans");
    if (a.Rest().size() != 1) return UsageError("graph", "give one input file");
    if (!address) return UsageError("graph", "--addr is required");
    if (raw && trans) return UsageError("graph", "give --raw or --trans, not both");
    address = TelemetryNumberText(*address);

    if (png) {
        if (const std::string refused = OutputOverInputError(*png, {a.Rest()[0]}); !refused.empty()) {
            std::cerr << "orv-cli graph: " << refused << "\n";
            return 1;
        }
    }
    MappedLogFile image;
    if (!OpenTelemetry("graph", a.Rest()[0], image)) return 1;
    const auto total = static_cast<std::uint32_t>(std::min<std::uint64_t>(image.BlockCount(), UINT32_MAX));
    const BlockRange range = GraphRangeDefaults({}, total);
    GraphInput input;
    input.startText = start.value_or(std::to_string(range.start));
    input.stopText = stop.value_or(std::to_string(range.stop));
    if (trans) {
        const long long parsed = ParseTelemetryNumber(*address);
        if (parsed < 0 || parsed > 511) return UsageError("graph", TerminalText(std::string(kImproperAddressText)));
        input.fromChannel = true;
        input.raw = false;
        input.request = CaptionRequest(static_cast<int>(parsed));
    } else {
        input.addressText = *address;
    }
    const GraphOutcome out = GraphChannel(image, input, 1.0);
    if (!out.plot) {
        // A file of other kinds is the input's fault; the rest are refused options.
        if (out.fileFault) return Failure("graph", TerminalText(out.message));
        return UsageError("graph", out.message.empty() ? "no address given" : TerminalText(out.message));
    }
    const GraphPlot& p = *out.plot;
    for (const std::string* label : {&p.label1, &p.label8, &p.label2, &p.label9, &p.label3, &p.label4, &p.label10,
                                     &p.label11, &p.label12, &p.label6, &p.label5})
        std::cout << *label << "\n";
    if (png) {
        std::string error;
        if (!WriteGraphPng(p, *png, error)) return Failure("graph", error);
    }
    return kExitOk;
}

}  // namespace

std::vector<CliCommand> FileCommands() {
    const CliOption range[] = {{{"start"}, "N", "the first block, counted from 1 (default 1)"},
                               {{"stop"}, "M", "the last block (default: the last of the file)"}};
    const CliOption rawOption{{"raw"}, "", "the raw byte values (the default)"};
    const CliOption transOption{{"trans"}, "", "the values converted to units, as the display windows show them"};
    return {
        {"filter", kFilterUsage,
         "Copy the selected records of the telemetry file IN to OUT (kind, CRCC, no repeats, one per event slot) "
         "and print <input blocks> <written blocks>. IN or OUT may be - for standard input or output; standard "
         "input is read to its end before anything is written, since repeats and event slots are judged over "
         "the whole file.",
         {{{"kind"}, "KIND", "the block kind kept: all, A, D, E (events) or K (text K to N); default all"},
          {{"crcc"}, "MODE", "filter: keep only records whose CRCC was correct (default); ignore: keep all"},
          {{"force"}, "", "replace OUT when it exists"}},
         RunFilter},
        {"export", kExportUsage,
         "Write up to 8 channels of the A blocks of the telemetry file IN to OUT, one line per block: in the "
         "historic export.txt format or as CSV. IN may be - (standard input, read to its end before the first "
         "line, since the block count is needed), OUT may be - (standard output).",
         {{{"addr"}, "ADDRESS", "a channel: telemetry address 0 to 511 as 0x1A7, #1A7 or 423 (up to 8 times)"},
          {{"mask"}, "MASK", "the bit mask of the --addr before it (0xFF, #FF or 255; default #FF)"},
          rawOption, transOption, range[0], range[1],
          {{"format"}, "FORMAT", "export: the historic export.txt format (default); csv: one header row, LF, an "
                                 "ISO 8601 UTC time column, numbers without padding"}},
         RunExport},
        {"graph", kGraphUsage,
         "Graph one channel of the telemetry file IN (- for standard input): print the scale and axis labels; "
         "--png writes the picture.",
         {{{"addr"}, "ADDRESS", "the channel: telemetry address 0 to 511 as 0x1A7, #1A7 or 423"},
          rawOption, transOption, range[0], range[1],
          {{"png"}, "OUT", "write the graph as a PNG picture to OUT"}},
         RunGraph},
    };
}

}  // namespace orv::cli
