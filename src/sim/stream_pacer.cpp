#include "sim/stream_pacer.h"

#include <chrono>
#include <span>

namespace orv::sim {

void StreamReport::Count(const SimBlock& block) {
    ++blocks;
    if (!block.intact) ++damaged;
    if (block.fecFrame) ++fecFrames;
    ++perKind[static_cast<std::size_t>(block.Kind() & 0x7F)];
}

std::string StreamReport::Summary() const {
    std::string kinds;
    for (std::size_t k = 0; k < perKind.size(); ++k) {
        if (perKind[k] == 0) continue;
        if (!kinds.empty()) kinds += ", ";
        kinds += std::string(1, static_cast<char>(k)) + " " + std::to_string(perKind[k]);
    }
    std::string text = std::to_string(blocks) + (blocks == 1 ? " block" : " blocks");
    if (!kinds.empty()) text += " (" + kinds + ")";
    // The ADC modem damages nothing itself (the channel's noise does): it tells its FEC frames.
    if (fecFrames > 0) return text + ", " + std::to_string(fecFrames) + " as FEC frames";
    return text + ", " + std::to_string(damaged) + " damaged";
}

namespace {

void WriteClosing(const std::vector<std::uint8_t>& bytes, ByteSink& sink, StreamReport& report) {
    if (!bytes.empty() && !sink.Write(bytes)) report.error = sink.Error();
}

}  // namespace

StreamReport PaceStream(StreamSchedule& schedule, ByteSink& sink, std::int64_t limit, StopSignal& stop,
                        const BlockObserver& sent) {
    using Clock = std::chrono::steady_clock;
    const auto seconds = [](double s) {
        return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(s));
    };
    StreamReport report;
    auto start = Clock::now();
    Clock::time_point lastWrite{};
    while (limit == 0 || report.blocks < limit) {
        const ScheduledBlock next = schedule.Next();
        for (const auto& chunk : next.chunks) {
            auto due = start + seconds(chunk.wallTime);
            // Fallen behind (a stalled write, a suspended machine): keep the least pause before
            // a block all the same and move the rest of the schedule along with it.
            if (&chunk == &next.chunks.front() && report.blocks > 0) {
                const auto earliest = lastWrite + seconds(schedule.LeastPause());
                if (due < earliest) {
                    start += earliest - due;
                    due = earliest;
                }
            }
            if (!stop.WaitUntil(due)) {
                report.stopped = true;
                return report;
            }
            const std::span<const std::uint8_t> bytes(next.block.wire.data() + chunk.begin, chunk.end - chunk.begin);
            if (!sink.Write(bytes)) {
                report.error = sink.Error();
                return report;
            }
            lastWrite = Clock::now();
        }
        report.Count(next.block);
        if (sent) sent(next.block);
    }
    WriteClosing(schedule.Closing(), sink, report);
    return report;
}

StreamReport WriteStream(TelemetryGenerator& generator, ByteSink& sink, std::int64_t limit, StopSignal& stop,
                         const BlockObserver& sent) {
    StreamReport report;
    while (limit == 0 || report.blocks < limit) {
        if (stop.Requested()) {
            report.stopped = true;
            return report;
        }
        const SimBlock block = generator.Next();
        if (!sink.Write(block.wire)) {
            report.error = sink.Error();
            return report;
        }
        report.Count(block);
        if (sent) sent(block);
    }
    WriteClosing(generator.Closing(), sink, report);
    return report;
}

}  // namespace orv::sim
