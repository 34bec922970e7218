// The telemetry file readers on arbitrary files and field texts: the image, the filter in every
// kind and CRCC mode, the export (to /dev/null) and the channel graph.
#include <string>
#include <vector>

#include "files/channel_graph.h"
#include "files/telemetry_export.h"
#include "files/telemetry_filter.h"
#include "files/mapped_log_file.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    orv::fuzz::FuzzInput in(data, size);
    const std::uint8_t choice = in.Byte();
    const std::string address(in.Line());
    const std::string mask(in.Line());
    const std::string start(in.Line());
    const std::string stop(in.Line());
    const auto bytes = in.Rest();
    const orv::MappedLogFile image = orv::MappedLogFile::FromBytes(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    const auto total = static_cast<std::uint32_t>(image.BlockCount());

    constexpr orv::FilterKind kKinds[] = {orv::FilterKind::All, orv::FilterKind::A, orv::FilterKind::D,
                                          orv::FilterKind::E, orv::FilterKind::K};
    std::uint64_t written = 0;
    const orv::FilterCounts counts =
        orv::FilterRecords(image, kKinds[choice % 5], (choice & 8) != 0 ? orv::CrccMode::Filter : orv::CrccMode::Ignore,
                           [&](std::span<const orv::RecordRun> runs) {
                               for (const orv::RecordRun& run : runs) written += run.bytes;
                               return true;
                           });
    if (written != counts.writtenBlocks * orv::kRecordBytes || counts.writtenBlocks > image.BlockCount())
        __builtin_trap();

    orv::ExportFields fields;
    fields.addresses[0] = address;
    fields.masks[0] = mask;
    fields.addresses[1] = mask;
    fields.startText = start;
    fields.stopText = stop;
    fields.raw = (choice & 16) != 0;
    const orv::ExportCheck check = orv::PrepareExport(fields, total);
    if (check.plan && total != 0) orv::ExportFile(image, *check.plan, "/dev/null");

    orv::GraphInput graph;
    graph.addressText = address;
    graph.startText = start;
    graph.stopText = stop;
    graph.fromChannel = (choice & 32) != 0;
    graph.raw = (choice & 64) != 0;
    graph.request.address = static_cast<int>(choice) * 2;
    if (total != 0) orv::GraphChannel(image, graph, 1.0 + (choice & 3));
    return 0;
}
