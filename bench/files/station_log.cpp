// Writes a telemetry log such as a station writes it, for the whole-process benchmarks
// (bench/run-files.sh): the simulator's stream of a 514-byte modem (every kind of block, A blocks
// with their changing channels, a share damaged on the line), logged as the station logs it
// (failed blocks with the failed mark and stamp), with a consecutive repeat after every 50th
// record and now and then the copy of a good A block rebuilt from its FEC frame, which carries the
// same time. Each record is appended with a write of its own, as a station logs it, so that the
// file lies in the system's cache as a station's log of the day does (in small pieces).
//
//   orv_station_log OUT RECORDS [--a-blocks]
//
// --a-blocks writes what a station logging only A blocks with a correct CRCC keeps (an "A...tlm"
// log): every record a plain A block, no repeats. Same output for the same arguments.
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string>

#include "fec/fec_block.h"
#include "reception/block.h"
#include "sim/telemetry_generator.h"

namespace {

using namespace orv;

constexpr std::uint64_t kRepeatEvery = 50;      // a repeat after every 50th record
constexpr std::uint64_t kFecCopyEvery = 37;     // an FEC-rebuilt copy after every 37th good A block
constexpr double kFailShare = 0.03;

// The record the station logs for a block off the line: bytes 0..511, a failed one marked and
// stamped with its received CRCC.
Block512 LoggedRecord(const sim::SimBlock& b) {
    Block514 full{};
    std::memcpy(full.data(), b.wire.data(), kFullBlockBytes);
    if (!b.intact) {
        full[0] |= kFailedMark;
        WriteFailedCrccStamp(full);
    }
    Block512 record{};
    std::memcpy(record.data(), full.data(), kTelemetryBytes);
    return record;
}

// The A block as the station rebuilds it from the FEC frame of its bytes 256..511.
Block512 FecCopy(const Block514& sent) {
    const Block514 rebuilt = ReconstructFecBlock(std::span<const std::uint8_t, kFecDataBytes>(sent.data() + 256, kFecDataBytes));
    Block512 record{};
    std::memcpy(record.data(), rebuilt.data(), kTelemetryBytes);
    return record;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || argc > 4 || (argc == 4 && std::strcmp(argv[3], "--a-blocks") != 0)) {
        std::fprintf(stderr, "usage: %s OUT RECORDS [--a-blocks]\n", argv[0]);
        return 2;
    }
    const std::uint64_t records = std::strtoull(argv[2], nullptr, 10);
    const bool aBlocksOnly = argc == 4;
    const int out = ::open(argv[1], O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (out < 0) {
        std::perror(argv[1]);
        return 1;
    }
    sim::SimOptions options;
    options.modem = ModemType::Bytes514;
    options.seed = 25;
    options.failShare = kFailShare;
    options.startUtc = 1070000000;  // 2003-11-28
    sim::TelemetryGenerator generator(options);

    std::uint64_t written = 0;
    std::uint64_t goodA = 0;
    std::uint64_t repeats = 0, failed = 0, fecCopies = 0;
    bool ok = true;
    const auto put = [&](const Block512& record) {
        ok &= ::write(out, record.data(), record.size()) == static_cast<ssize_t>(record.size());
        ++written;
    };
    while (ok && written < records) {
        const sim::SimBlock b = generator.Next();
        const bool plainA = b.intact && IsStandard(b.block, 'A');
        if (aBlocksOnly) {
            if (plainA) put(LoggedRecord(b));
            continue;
        }
        const Block512 record = LoggedRecord(b);
        failed += b.intact ? 0 : 1;
        put(record);
        if (written % kRepeatEvery == 0 && written < records) {
            put(record);
            ++repeats;
        }
        if (plainA && ++goodA % kFecCopyEvery == 0 && written < records) {
            put(FecCopy(b.block));
            ++fecCopies;
        }
    }
    ok &= ::close(out) == 0;
    if (!ok) {
        std::perror(argv[1]);
        return 1;
    }
    std::fprintf(stderr, "%s: %llu records (%llu failed, %llu repeats, %llu FEC copies)\n", argv[1],
                 static_cast<unsigned long long>(written), static_cast<unsigned long long>(failed),
                 static_cast<unsigned long long>(repeats), static_cast<unsigned long long>(fecCopies));
    return 0;
}
