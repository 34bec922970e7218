// orv-cli commands of the telemetry files: filter, export, graph.
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "app/cli/cli_args.h"
#include "app/cli/command.h"
#include "displays/navigation_content.h"
#include "displays/power_content.h"
#include "displays/status_content.h"
#include "displays/temperature_content.h"
#include "files/channel_graph.h"
#include "files/graph_picture.h"
#include "files/named_output.h"
#include "files/telemetry_export.h"
#include "files/telemetry_filter.h"
#include "files/telemetry_image.h"
#include "files/telemetry_number.h"

namespace orv::cli {
namespace {

namespace fs = std::filesystem;

int Usage(const std::string& command, const std::string& usage, const std::string& problem) {
    std::cerr << "orv-cli " << command << ": " << problem << "\nusage: orv-cli " << command << " " << usage << "\n";
    return 2;
}

const char* kFilterUsage = "IN OUT [--kind all|A|D|E|K] [--crcc filter|ignore] [--force]";
const char* kExportUsage =
    "IN OUT --addr TEXT [--mask TEXT] [--addr TEXT [--mask TEXT]]... [--raw|--trans] [--start N] [--stop M]";
const char* kGraphUsage = "IN --addr TEXT [--raw|--trans] [--start N] [--stop M] [--png OUT]";

int RunFilter(std::vector<std::string> args, int, char**) {
    CliArgs a(std::move(args));
    const std::string kindText = a.TakeValue("--kind").value_or("all");
    const std::string crccText = a.TakeValue("--crcc").value_or("filter");
    const bool force = a.TakeFlag("--force");
    if (!a.Error().empty()) return Usage("filter", kFilterUsage, a.Error());
    if (!a.UnknownOption().empty()) return Usage("filter", kFilterUsage, "unknown option " + a.UnknownOption());
    if (a.Rest().size() != 2) return Usage("filter", kFilterUsage, "give one input and one output file");
    FilterKind kind;
    if (kindText == "all") kind = FilterKind::All;
    else if (kindText == "A") kind = FilterKind::A;
    else if (kindText == "D") kind = FilterKind::D;
    else if (kindText == "E") kind = FilterKind::E;
    else if (kindText == "K") kind = FilterKind::K;
    else return Usage("filter", kFilterUsage, "--kind must be all, A, D, E or K");
    CrccMode mode;
    if (crccText == "filter") mode = CrccMode::Filter;
    else if (crccText == "ignore") mode = CrccMode::Ignore;
    else return Usage("filter", kFilterUsage, "--crcc must be filter or ignore");

    const fs::path in = a.Rest()[0];
    const fs::path out = a.Rest()[1];
    bool existed = false;
    const FilterResult r = FilterFile(in, out, kind, mode, [&](const fs::path&) {
        existed = true;
        return force;
    });
    if (r.damagedInput) {
        std::cerr << kFileErrorText << "\n";
        return 2;
    }
    if (!r.ran) {
        if (existed && !force) {
            std::cerr << "orv-cli filter: \"" << out.string() << "\" already exists; use --force to replace it\n";
        } else {
            std::cerr << "orv-cli filter: " << r.message << "\n";
        }
        return 1;
    }
    std::printf("%llu %llu\n", static_cast<unsigned long long>(r.inputBlocks),
                static_cast<unsigned long long>(r.writtenBlocks));
    return 0;
}

// Opens IN as the Replay window would: a damaged length is reported and the whole records used.
bool OpenTelemetry(const std::string& command, const fs::path& path, TelemetryImage& image) {
    std::string error;
    if (!image.Open(path, error)) {
        std::cerr << "orv-cli " << command << ": cannot read \"" << path.string() << "\": " << error << "\n";
        return false;
    }
    if (!image.HasWholeLength()) std::cerr << kFileErrorText << "\n";
    if (image.BlockCount() == 0) {
        std::cerr << "orv-cli " << command << ": \"" << path.string() << "\" holds no blocks\n";
        return false;
    }
    return true;
}

int RunExport(std::vector<std::string> args, int, char**) {
    // --addr and --mask are read in order: each mask belongs to the address before it.
    ExportFields fields;
    std::vector<std::string> rest;
    int channels = 0;
    bool maskGiven = false;
    bool raw = false, trans = false;
    std::optional<std::string> start, stop;
    for (std::size_t k = 0; k < args.size(); ++k) {
        const std::string& arg = args[k];
        const bool takesValue = arg == "--addr" || arg == "--mask" || arg == "--start" || arg == "--stop";
        if (takesValue && k + 1 >= args.size()) return Usage("export", kExportUsage, "option " + arg + " needs a value");
        if (arg == "--addr") {
            if (channels == static_cast<int>(kExportChannels)) return Usage("export", kExportUsage, "at most 8 channels");
            fields.addresses[static_cast<std::size_t>(channels++)] = args[++k];
            maskGiven = false;
        } else if (arg == "--mask") {
            if (channels == 0) return Usage("export", kExportUsage, "--mask must follow the --addr it applies to");
            if (maskGiven) return Usage("export", kExportUsage, "one --mask per --addr");
            fields.masks[static_cast<std::size_t>(channels - 1)] = args[++k];
            maskGiven = true;
        } else if (arg == "--start") {
            start = args[++k];
        } else if (arg == "--stop") {
            stop = args[++k];
        } else if (arg == "--raw") {
            raw = true;
        } else if (arg == "--trans") {
            trans = true;
        } else if (arg.rfind("--", 0) == 0) {
            return Usage("export", kExportUsage, "unknown option " + arg);
        } else {
            rest.push_back(arg);
        }
    }
    if (rest.size() != 2) return Usage("export", kExportUsage, "give one input and one output file");
    if (raw && trans) return Usage("export", kExportUsage, "give --raw or --trans, not both");
    fields.raw = !trans;

    const fs::path in = rest[0];
    const fs::path out = rest[1];
    if (const std::string refused = OutputOverInputError(out, {in}); !refused.empty()) {
        std::cerr << "orv-cli export: " << refused << "\n";
        return 1;
    }
    TelemetryImage image;
    if (!OpenTelemetry("export", in, image)) return 1;
    const auto total = static_cast<std::uint32_t>(std::min<std::uint64_t>(image.BlockCount(), UINT32_MAX));
    fields.startText = start.value_or("1");
    fields.stopText = stop.value_or(std::to_string(total));
    const ExportCheck check = PrepareExport(fields, total);
    if (!check.plan) {
        std::cerr << check.message << "\n";
        return 1;
    }
    const ExportResult r = ExportFile(image, *check.plan, out);
    if (!r.written) {
        std::cerr << "orv-cli export: " << r.message << "\n";
        return 1;
    }
    if (r.skippedTime != 0) {
        std::cerr << "orv-cli export: " << r.skippedTime
                  << " A block(s) left out because their date or time text is not numeric\n";
    }
    return 0;
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

int RunGraph(std::vector<std::string> args, int, char**) {
    CliArgs a(std::move(args));
    const auto address = a.TakeValue("--addr");
    const auto start = a.TakeValue("--start");
    const auto stop = a.TakeValue("--stop");
    const auto png = a.TakeValue("--png");
    const bool raw = a.TakeFlag("--raw");
    const bool trans = a.TakeFlag("--trans");
    if (!a.Error().empty()) return Usage("graph", kGraphUsage, a.Error());
    if (!a.UnknownOption().empty()) return Usage("graph", kGraphUsage, "unknown option " + a.UnknownOption());
    if (a.Rest().size() != 1) return Usage("graph", kGraphUsage, "give one input file");
    if (!address) return Usage("graph", kGraphUsage, "--addr is required");
    if (raw && trans) return Usage("graph", kGraphUsage, "give --raw or --trans, not both");

    if (png) {
        if (const std::string refused = OutputOverInputError(*png, {a.Rest()[0]}); !refused.empty()) {
            std::cerr << "orv-cli graph: " << refused << "\n";
            return 1;
        }
    }
    TelemetryImage image;
    if (!OpenTelemetry("graph", a.Rest()[0], image)) return 1;
    const auto total = static_cast<std::uint32_t>(std::min<std::uint64_t>(image.BlockCount(), UINT32_MAX));
    const BlockRange range = GraphRangeDefaults({}, total);
    GraphInput input;
    input.startText = start.value_or(std::to_string(range.start));
    input.stopText = stop.value_or(std::to_string(range.stop));
    if (trans) {
        const long long parsed = ParseTelemetryNumber(*address);
        if (parsed < 0 || parsed > 511) {
            std::cerr << kImproperAddressText << "\n";
            return 1;
        }
        input.fromChannel = true;
        input.raw = false;
        input.request = CaptionRequest(static_cast<int>(parsed));
    } else {
        input.addressText = *address;
    }
    const GraphOutcome out = GraphChannel(image, input, 1.0);
    if (!out.plot) {
        std::cerr << (out.message.empty() ? std::string("No address given.") : out.message) << "\n";
        return 1;
    }
    const GraphPlot& p = *out.plot;
    for (const std::string* label : {&p.label1, &p.label8, &p.label2, &p.label9, &p.label3, &p.label4, &p.label10,
                                     &p.label11, &p.label12, &p.label6, &p.label5})
        std::cout << *label << "\n";
    if (png) {
        std::string error;
        if (!WriteGraphPng(p, *png, error)) {
            std::cerr << "orv-cli graph: " << error << "\n";
            return 1;
        }
    }
    return 0;
}

}  // namespace

std::vector<CliCommand> FileCommands() {
    return {
        {"filter", kFilterUsage,
         "copy the selected records of a telemetry file (kind, CRCC, no repeats, one per event slot); "
         "prints <input blocks> <written blocks>",
         RunFilter},
        {"export", kExportUsage, "write up to 8 channels of the A blocks as comma-separated text (export.txt format)",
         RunExport},
        {"graph", kGraphUsage, "graph one channel: prints the scale and axis labels, --png writes the picture",
         RunGraph},
    };
}

}  // namespace orv::cli
