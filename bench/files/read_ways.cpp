// How a whole process reads a telemetry log fastest: each way of reading runs one pass in a fresh
// process (the first byte and the kind of every record, and a comparison with the record before,
// as the filter reads them), alternating with `cat FILE > /dev/null`, several rounds; medians are
// printed. The ways: the mapping as it faults in, with MADV_SEQUENTIAL, populated up front
// (MAP_POPULATE), advised MADV_WILLNEED | MADV_HUGEPAGE, populated window by window
// (MADV_POPULATE_READ), each with and without software prefetch; and read() into a reused buffer
// of 128 KiB to 4 MiB. Then the output: copies of the file written in 256 KiB or 4 MiB pieces,
// with O_DIRECT, or by copy_file_range, against `cp FILE NEW`.
//
//   orv_read_ways FILE [ROUNDS]      the comparison
//   orv_read_ways FILE --way NAME    one pass, prints its nanoseconds (what the comparison runs)
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "process_timing.h"

namespace {

using orv::bench::Median;

// The wall time of a whole process in nanoseconds, negative when it failed.
double RunProcess(const std::vector<std::string>& args) {
    const orv::bench::ProcessRun run = orv::bench::RunProcess(args);
    return run.ok ? run.seconds * 1e9 : -1;
}

constexpr std::size_t kRecord = 512;

struct Tally {
    std::uint64_t kinds = 0;
    std::uint64_t repeats = 0;
};

// The filter's reading of one record: its first two bytes and whether it repeats the one before.
inline void Look(const std::uint8_t* r, const std::uint8_t* previous, Tally& t) {
    t.kinds += r[0] == 'A' && r[1] == ' ';
    if (previous && std::memcmp(r, previous, kRecord) == 0) ++t.repeats;
}

void ScanMapped(const std::uint8_t* data, std::size_t records, std::size_t prefetchAhead, Tally& t) {
    const std::uint8_t* previous = nullptr;
    for (std::size_t i = 0; i < records; ++i) {
        if (prefetchAhead != 0 && i + prefetchAhead < records) __builtin_prefetch(data + (i + prefetchAhead) * kRecord);
        const std::uint8_t* r = data + i * kRecord;
        Look(r, previous, t);
        previous = r;
    }
}

constexpr std::size_t kWindow = 8 << 20;

bool MapWay(int fd, std::size_t length, const std::string& way, Tally& t) {
    int flags = MAP_SHARED;
    if (way.find("populate") != std::string::npos) flags |= MAP_POPULATE;
    void* view = ::mmap(nullptr, length, PROT_READ, flags, fd, 0);
    if (view == MAP_FAILED) return false;
    auto* data = static_cast<std::uint8_t*>(view);
    if (way.find("seq") != std::string::npos) ::madvise(view, length, MADV_SEQUENTIAL);
    if (way.find("willneed") != std::string::npos) ::madvise(view, length, MADV_SEQUENTIAL | MADV_WILLNEED);
    if (way.find("huge") != std::string::npos) ::madvise(view, length, MADV_HUGEPAGE);
    const std::size_t ahead = way.find("prefetch") != std::string::npos ? 16 : 0;
    const std::size_t records = length / kRecord;
    if (way.find("windows") != std::string::npos) {
        const std::size_t perWindow = kWindow / kRecord;
        for (std::size_t first = 0; first < records; first += perWindow) {
            const std::size_t n = std::min(perWindow, records - first);
#ifdef MADV_POPULATE_READ
            ::madvise(data + first * kRecord, n * kRecord, MADV_POPULATE_READ);
#endif
            ScanMapped(data + first * kRecord, n, ahead, t);
        }
    } else {
        ScanMapped(data, records, ahead, t);
    }
    ::munmap(view, length);
    return true;
}

bool ReadWay(int fd, std::size_t bufferBytes, Tally& t) {
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    std::vector<std::uint8_t> buffer(bufferBytes + kRecord);
    std::uint8_t* const records = buffer.data() + kRecord;  // the record before the chunk sits in front
    bool havePrevious = false;
    std::size_t carried = 0;  // bytes of a partial record at the start of the chunk
    for (;;) {
        const ssize_t got = ::read(fd, records + carried, bufferBytes - carried);
        if (got < 0) return false;
        if (got == 0) break;
        const std::size_t bytes = carried + static_cast<std::size_t>(got);
        const std::size_t whole = bytes / kRecord;
        const std::uint8_t* previous = havePrevious ? buffer.data() : nullptr;
        for (std::size_t i = 0; i < whole; ++i) {
            Look(records + i * kRecord, previous, t);
            previous = records + i * kRecord;
        }
        if (whole != 0) {
            std::memcpy(buffer.data(), records + (whole - 1) * kRecord, kRecord);
            havePrevious = true;
        }
        carried = bytes - whole * kRecord;
        std::memmove(records, records + whole * kRecord, carried);
    }
    return true;
}

// Copies the file to `out` as the filter copies what it selects: read in 256 KiB pieces, then
// written straight from that buffer (write-256), gathered into a buffer of 4 MiB that is written
// when full (gather-4096), written with O_DIRECT from such a buffer (direct-4096), or copied in the
// kernel with copy_file_range (kernel-copy, what cp does).
bool CopyWay(int fd, const char* out, const std::string& way) {
    const bool direct = way == "direct-4096";
    const int o = ::open(out, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | (direct ? O_DIRECT : 0), 0644);
    if (o < 0) return false;
    constexpr std::size_t kIn = 256 << 10;
    constexpr std::size_t kOut = 4 << 20;
    void* inMemory = nullptr;
    void* outMemory = nullptr;
    if (::posix_memalign(&inMemory, 4096, kIn) != 0 || ::posix_memalign(&outMemory, 4096, kOut) != 0) return false;
    auto* in = static_cast<std::uint8_t*>(inMemory);
    auto* gather = static_cast<std::uint8_t*>(outMemory);
    std::size_t used = 0;
    off_t offset = 0;
    bool ok = true;
    const auto flush = [&](bool last) {
        std::size_t n = used;
        if (direct && last && n % 4096 != 0) {
            // O_DIRECT takes whole blocks: the tail goes without it.
            ::fcntl(o, F_SETFL, ::fcntl(o, F_GETFL) & ~O_DIRECT);
        }
        ok &= ::write(o, gather, n) == static_cast<ssize_t>(n);
        used = 0;
    };
    for (;;) {
        const ssize_t got = ::read(fd, in, kIn);
        if (got <= 0) {
            ok &= got == 0;
            break;
        }
        const auto n = static_cast<std::size_t>(got);
        if (way == "write-256") {
            ok &= ::write(o, in, n) == got;
        } else if (way == "kernel-copy") {
            loff_t from = offset;
            ok &= ::copy_file_range(fd, &from, o, nullptr, n, 0) == got;
        } else {
            if (used + n > kOut) flush(false);
            std::memcpy(gather + used, in, n);
            used += n;
        }
        offset += got;
    }
    if (used != 0) flush(true);
    ok &= ::close(o) == 0;
    std::free(inMemory);
    std::free(outMemory);
    return ok;
}

long long OnePass(const char* path, const std::string& way) {
    const auto start = std::chrono::steady_clock::now();
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return -1;
    struct stat st {};
    ::fstat(fd, &st);
    Tally t;
    bool ok = false;
    if (way.rfind("copy:", 0) == 0) ok = CopyWay(fd, (std::string(path) + ".copy").c_str(), way.substr(5));
    else if (way.rfind("read-", 0) == 0) ok = ReadWay(fd, std::strtoull(way.c_str() + 5, nullptr, 10) << 10, t);
    else ok = MapWay(fd, static_cast<std::size_t>(st.st_size), way, t);
    ::close(fd);
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - start).count();
    if (!ok) return -1;
    std::fprintf(stderr, "%s: %llu A, %llu repeats\n", way.c_str(), static_cast<unsigned long long>(t.kinds),
                 static_cast<unsigned long long>(t.repeats));
    return ns;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[2], "--way") == 0) {
        const long long ns = OnePass(argv[1], argv[3]);
        if (ns < 0) return 1;
        std::printf("%lld\n", ns);
        return 0;
    }
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: %s FILE [ROUNDS] | FILE --way NAME\n", argv[0]);
        return 2;
    }
    const int rounds = argc == 3 ? std::atoi(argv[2]) : 7;
    const std::vector<std::string> ways = {"map", "map-seq", "map-prefetch", "map-seq-prefetch", "map-populate",
                                           "map-populate-prefetch", "map-willneed-prefetch", "map-huge-prefetch",
                                           "map-windows", "map-windows-prefetch", "read-128", "read-256", "read-1024",
                                           "read-4096"};
    const std::string self = argv[0];
    const std::string file = argv[1];
    RunProcess({"cat", file});  // into the page cache
    std::map<std::string, std::vector<double>> wall, ratio;
    std::vector<double> cat;
    for (int round = 0; round < rounds; ++round) {
        for (const std::string& way : ways) {
            const double c = RunProcess({"cat", file});
            const double w = RunProcess({self, file, "--way", way});
            cat.push_back(c);
            wall[way].push_back(w);
            ratio[way].push_back(c / w);
        }
    }
    // Output: each way copies the whole file to FILE.copy, against cp.
    const std::vector<std::string> copies = {"write-256", "gather-4096", "direct-4096", "kernel-copy"};
    const std::string copy = file + ".copy";
    std::map<std::string, std::vector<double>> copyWall, copyRatio;
    std::vector<double> cp;
    for (int round = 0; round < rounds; ++round) {
        for (const std::string& way : copies) {
            const double c = RunProcess({"cp", file, copy});
            ::unlink(copy.c_str());
            const double w = RunProcess({self, file, "--way", "copy:" + way});
            ::unlink(copy.c_str());
            cp.push_back(c);
            copyWall[way].push_back(w);
            copyRatio[way].push_back(c / w);
        }
    }
    std::printf("%d rounds, whole processes, medians; ratio = cat's time / the way's time (paired)\n", rounds);
    std::printf("%-24s %10.1f ms\n", "cat FILE > /dev/null", Median(cat) / 1e6);
    for (const std::string& way : ways)
        std::printf("%-24s %10.1f ms  %5.2f x cat\n", way.c_str(), Median(wall[way]) / 1e6, Median(ratio[way]));
    std::printf("%-24s %10.1f ms\n", "cp FILE NEW", Median(cp) / 1e6);
    for (const std::string& way : copies)
        std::printf("copy %-19s %10.1f ms  %5.2f x cp\n", way.c_str(), Median(copyWall[way]) / 1e6, Median(copyRatio[way]));
    return 0;
}
