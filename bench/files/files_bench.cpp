// Telemetry files on big logs held in the page cache, one core:
//   filter throughput against `cat FILE > /dev/null` on the same file in the same run, and on a
//   log of one million records in every block kind and CRCC mode,
//   export of eight channels, a graph over one million blocks, opening a 1 GB file in Replay.
// The files are made in a temporary folder at the first benchmark and removed at exit.
// Run: build/bench/files/orv_files_bench
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "files/channel_graph.h"
#include "files/replay.h"
#include "files/telemetry_export.h"
#include "files/telemetry_filter.h"
#include "reception/block.h"

namespace {

namespace fs = std::filesystem;

constexpr std::uint64_t kLogBlocks = 2 * 1024 * 1024;  // 1 GiB
constexpr std::uint32_t kRangeBlocks = 1000000;
constexpr std::uint64_t kShortLogBlocks = 1000000;  // the log of one million records

// A station's raw log: A blocks every few seconds with their time text and changing channels,
// and among them E, D, K..N blocks, a repeat now and then and some blocks that failed the CRCC.
void WriteLog(const fs::path& path) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    std::vector<std::uint8_t> chunk;
    chunk.reserve(4096 * 512);
    std::mt19937 random(40);
    orv::Block512 previous{};
    std::int64_t seconds = 0;
    for (std::uint64_t i = 0; i < kLogBlocks; ++i) {
        orv::Block512 b{};
        const unsigned slot = i % 16;
        if (slot == 15) {
            b = previous;  // a repeat
        } else {
            const char kinds[] = "AAAAAAAAAAAEDKA";
            b[0] = static_cast<std::uint8_t>(slot == 13 ? "KLMN"[i / 16 % 4] : kinds[slot]);
            b[1] = ' ';
            for (std::size_t k = 2; k < 512; ++k) b[k] = static_cast<std::uint8_t>(random());
            seconds += 2;
            const long day = 9235 + seconds / 86400;
            const long s = seconds % 86400;
            char time[32];
            std::snprintf(time, sizeof time, "2003-%02ld-%02ld  %02ld:%02ld:%02ld", 4 + day % 3, 10 + day % 18, s / 3600,
                          s / 60 % 60, s % 60);
            for (std::size_t k = 0; k < 20; ++k) b[36 + k] = static_cast<std::uint8_t>(time[k]);
            b[169] = 'x';
            b[421] = static_cast<std::uint8_t>(i / 16);
            if (b[0] == 'E') {
                char digits[8];
                std::snprintf(digits, sizeof digits, "%04X", static_cast<unsigned>(i / 16 % 65536));
                for (std::size_t k = 0; k < 4; ++k) b[135 + k] = static_cast<std::uint8_t>(digits[k]);
            }
            if (random() % 50 == 0) b[0] |= 0x80;
            previous = b;
        }
        chunk.insert(chunk.end(), b.begin(), b.end());
        if (chunk.size() == chunk.capacity()) {
            out.write(reinterpret_cast<const char*>(chunk.data()), static_cast<std::streamsize>(chunk.size()));
            chunk.clear();
        }
    }
    out.write(reinterpret_cast<const char*>(chunk.data()), static_cast<std::streamsize>(chunk.size()));
}

struct BigFiles {
    fs::path dir;
    fs::path log;      // the raw log, 1 GiB
    fs::path aBlocks;  // its A blocks with a correct CRCC (the filter's A-blk output)
    fs::path shortLog;  // its first million records
    double catBytesPerSecond = 0;
    double shortCatBytesPerSecond = 0;

    BigFiles() {
        dir = fs::temp_directory_path() / ("orv_files_bench_" + std::to_string(std::random_device{}()));
        fs::create_directories(dir);
        log = dir / "T030415.raw";
        aBlocks = dir / "A030415.tlm";
        WriteLog(log);
        orv::FilterFile(log, aBlocks, orv::FilterKind::A, orv::CrccMode::Filter, {});
        shortLog = dir / "T030416.raw";
        std::ifstream in(log, std::ios::binary);
        std::ofstream out(shortLog, std::ios::binary | std::ios::trunc);
        std::vector<char> chunk(1 << 20);
        for (std::uint64_t left = kShortLogBlocks * 512; left > 0;) {
            const auto n = static_cast<std::streamsize>(std::min<std::uint64_t>(left, chunk.size()));
            in.read(chunk.data(), n);
            out.write(chunk.data(), n);
            left -= static_cast<std::uint64_t>(n);
        }
    }
    ~BigFiles() {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
};

BigFiles& Files() {
    static BigFiles files;
    return files;
}

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// Runs `work` once per iteration, timed by the wall clock (manual time); returns the total.
template <typename Work>
double TimeEach(benchmark::State& state, Work work) {
    double total = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        work();
        const double s = Seconds(start);
        total += s;
        state.SetIterationTime(s);
    }
    return total;
}

// The reference: cat reading the same file from the page cache. Returns bytes per second.
double CatRate(benchmark::State& state, const fs::path& file) {
    const std::string command = "cat '" + file.string() + "' > /dev/null";
    if (std::system(command.c_str()) != 0) state.SkipWithError("cat failed");  // warm the cache
    const double total = TimeEach(state, [&] {
        if (std::system(command.c_str()) != 0) state.SkipWithError("cat failed");
    });
    const double bytes = static_cast<double>(fs::file_size(file));
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes) * state.iterations());
    return bytes * static_cast<double>(state.iterations()) / total;
}

void BM_CatToDevNull(benchmark::State& state) { Files().catBytesPerSecond = CatRate(state, Files().log); }
BENCHMARK(BM_CatToDevNull)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

bool Yes(const fs::path&) { return true; }

// A line "Key:   N kB" of /proc/self/status in megabytes, 0 when absent.
double StatusMegabytes(const char* key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(key, 0) == 0) return std::strtod(line.c_str() + std::strlen(key), nullptr) / 1024.0;
    return 0;
}

double PeakResidentMegabytes() { return StatusMegabytes("VmHWM:"); }

// Sets the peak resident size back to the current one; returns it.
double ResetPeakResidentMegabytes() {
    std::ofstream("/proc/self/clear_refs") << "5";
    return StatusMegabytes("VmRSS:");
}

void ReportAgainstCat(benchmark::State& state, double seconds, double bytes) {
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes) * state.iterations());
    const double rate = bytes * static_cast<double>(state.iterations()) / seconds;
    if (Files().catBytesPerSecond > 0) state.counters["ratio_to_cat"] = rate / Files().catBytesPerSecond;
}

// The filter as the Filter window and orv-cli run it: A-blk with CRCC filtering, output file
// written. About 2/3 of the records are copied.
void BM_FilterABlocks(benchmark::State& state) {
    const auto& f = Files();
    const fs::path out = f.dir / "bench_out.tlm";
    std::uint64_t written = 0;
    const double total = TimeEach(state, [&] {
        written = orv::FilterFile(f.log, out, orv::FilterKind::A, orv::CrccMode::Filter, Yes).writtenBlocks;
    });
    fs::remove(out);
    state.counters["written_blocks"] = static_cast<double>(written);
    ReportAgainstCat(state, total, static_cast<double>(fs::file_size(f.log)));
}
BENCHMARK(BM_FilterABlocks)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// The filter's own work: the same pass with the output sent to /dev/null, the fair match for
// `cat FILE > /dev/null`.
void BM_FilterABlocksToDevNull(benchmark::State& state) {
    const auto& f = Files();
    const double total =
        TimeEach(state, [&] { orv::FilterFile(f.log, "/dev/null", orv::FilterKind::A, orv::CrccMode::Filter, Yes); });
    ReportAgainstCat(state, total, static_cast<double>(fs::file_size(f.log)));
}
BENCHMARK(BM_FilterABlocksToDevNull)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// What writing the output costs on its own: `cp` of the whole log to a new file.
void BM_CopyWithCp(benchmark::State& state) {
    const auto& f = Files();
    const fs::path out = f.dir / "copy.raw";
    const std::string command = "cp '" + f.log.string() + "' '" + out.string() + "'";
    const double total = TimeEach(state, [&] {
        if (std::system(command.c_str()) != 0) state.SkipWithError("cp failed");
    });
    fs::remove(out);
    ReportAgainstCat(state, total, static_cast<double>(fs::file_size(f.log)));
}
BENCHMARK(BM_CopyWithCp)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// The same pass with every record kept (All, CRCC ignored): the output is as big as the input.
void BM_FilterAllIgnore(benchmark::State& state) {
    const auto& f = Files();
    const fs::path out = f.dir / "bench_out.tlr";
    const double total =
        TimeEach(state, [&] { orv::FilterFile(f.log, out, orv::FilterKind::All, orv::CrccMode::Ignore, Yes); });
    fs::remove(out);
    ReportAgainstCat(state, total, static_cast<double>(fs::file_size(f.log)));
}
BENCHMARK(BM_FilterAllIgnore)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_CatOneMillionRecords(benchmark::State& state) { Files().shortCatBytesPerSecond = CatRate(state, Files().shortLog); }
BENCHMARK(BM_CatOneMillionRecords)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// Every block kind in both CRCC modes on the log of one million records, output to /dev/null
// (output:0) or to a file (output:1), against cat of the same log.
void BM_FilterModes(benchmark::State& state) {
    const auto& f = Files();
    const auto kind = static_cast<orv::FilterKind>(state.range(0));
    const auto mode = static_cast<orv::CrccMode>(state.range(1));
    const fs::path out = state.range(2) != 0 ? f.dir / "modes_out.tlm" : fs::path("/dev/null");
    std::uint64_t written = 0;
    const double total = TimeEach(state, [&] { written = orv::FilterFile(f.shortLog, out, kind, mode, Yes).writtenBlocks; });
    if (state.range(2) != 0) fs::remove(out);
    const double bytes = static_cast<double>(fs::file_size(f.shortLog));
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes) * state.iterations());
    if (f.shortCatBytesPerSecond > 0)
        state.counters["ratio_to_cat"] = bytes * static_cast<double>(state.iterations()) / total / f.shortCatBytesPerSecond;
    state.counters["written_blocks"] = static_cast<double>(written);
    std::string label(1, orv::FilterPrefix(kind));
    label += mode == orv::CrccMode::Filter ? " .tlm" : " .tlr";
    state.SetLabel(label);
}
BENCHMARK(BM_FilterModes)
    ->ArgNames({"kind", "crcc", "output"})
    ->ArgsProduct({{0, 1, 2, 3, 4}, {0, 1}, {0, 1}})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

// Export of eight channels (two of them one wheel word, one masked) over one million A blocks,
// raw or translated (trans:0/1), as export.txt or CSV (csv:0/1), into a file or to /dev/null
// (file:1/0). The random channel bytes are the worst case for the value texts: each wheel word
// text is a random one of 65,536. The timed runs follow a warm-up export: the first pass after the
// 2 GB of logs were made also pays for the system's first touch of the memory that takes the
// written text (counter first_run_ms).
void BM_ExportEightChannels(benchmark::State& state) {
    const auto& f = Files();
    orv::MappedLogFile image;
    std::string error;
    if (!image.Open(f.aBlocks, error) || image.BlockCount() < kRangeBlocks) {
        state.SkipWithError("no A-block file");
        return;
    }
    orv::ExportFields fields;
    fields.addresses = {"#1A7", "448", "#140", "#130", "#1C0", "300", "#10B", "#190"};
    fields.masks[5] = "#0F";
    fields.startText = "1";
    fields.stopText = std::to_string(kRangeBlocks);
    fields.raw = state.range(0) == 0;
    fields.csv = state.range(1) != 0;
    const orv::ExportCheck check = orv::PrepareExport(fields, static_cast<std::uint32_t>(image.BlockCount()));
    const fs::path out = state.range(2) != 0 ? f.dir / "export.txt" : fs::path("/dev/null");
    const auto exportOnce = [&] {
        const orv::ExportResult r = orv::ExportFile(image, *check.plan, out);
        if (!r.written) state.SkipWithError(r.message.c_str());
    };
    const auto start = std::chrono::steady_clock::now();
    exportOnce();  // the warm-up
    state.counters["first_run_ms"] = Seconds(start) * 1e3;
    for (auto _ : state) exportOnce();
    if (state.range(2) != 0) {
        state.counters["output_MB"] = static_cast<double>(fs::file_size(out)) / 1e6;
        fs::remove(out);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(kRangeBlocks) * state.iterations());
}
BENCHMARK(BM_ExportEightChannels)
    ->ArgNames({"trans", "csv", "file"})
    ->Args({1, 0, 1})
    ->Args({0, 0, 1})
    ->Args({1, 1, 1})
    ->Args({0, 1, 1})
    ->Args({1, 0, 0})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

// A translated graph of one channel over one million A blocks, from a freshly opened file.
void BM_GraphOneMillionBlocks(benchmark::State& state) {
    const auto& f = Files();
    orv::GraphInput input;
    input.fromChannel = true;
    input.raw = false;
    input.request = orv::GraphRequest{0x140, "Temp", "Deg.C"};
    input.startText = "1";
    input.stopText = std::to_string(kRangeBlocks);
    double peakGrowth = 0;
    for (auto _ : state) {
        const double before = ResetPeakResidentMegabytes();
        orv::MappedLogFile image;
        std::string error;
        image.Open(f.aBlocks, error);
        const orv::GraphOutcome out = orv::GraphChannel(image, input, 1.0);
        if (!out.plot) state.SkipWithError(out.message.c_str());
        benchmark::DoNotOptimize(out.plot->points.data());
        peakGrowth = std::max(peakGrowth, PeakResidentMegabytes() - before);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(kRangeBlocks) * state.iterations());
    // How much the peak resident memory rose during the graph: the plot itself (a float and two
    // ints per block, 12 MB) and the pass's buffer (256 KiB).
    state.counters["peak_RSS_growth_MB"] = peakGrowth;
}
BENCHMARK(BM_GraphOneMillionBlocks)->Unit(benchmark::kMillisecond)->Iterations(5);

// Replay: load the 1 GiB log and show block 1 (the operator's click in the file list).
void BM_ReplayOpenOneGigabyte(benchmark::State& state) {
    const auto& f = Files();
    orv::StationState station;
    orv::ReplayHooks hooks;
    for (auto _ : state) {
        orv::ReplaySession replay;
        const auto r = replay.Load(f.log);
        if (!r.loaded) state.SkipWithError("load failed");
        replay.ShowReplayBlock(station, hooks);
        replay.Last();
        replay.ShowReplayBlock(station, hooks);
    }
    state.counters["file_GB"] = static_cast<double>(fs::file_size(f.log)) / 1e9;
}
BENCHMARK(BM_ReplayOpenOneGigabyte)->Unit(benchmark::kMicrosecond);

}  // namespace
