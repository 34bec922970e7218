#include "sim/telemetry_generator.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "sim/block_builder.h"
#include "sim/serial_line.h"

namespace orv::sim {
namespace {

SpacecraftCounters InitialCounters(std::uint64_t seed) {
    SpacecraftCounters c;
    c.eventPointer = static_cast<int>(0x0100 + SubSeed(seed, 2) % 0x0E00);
    c.commandCount = static_cast<int>(0x0200 + SubSeed(seed, 3) % 0x1000);
    c.leila = static_cast<int>(SubSeed(seed, 4) % 0x0400);
    return c;
}

// Telecommands the command team sends now and then; each is an event.
constexpr const char* kTelecommands[] = {
    "TELECOMMAND: TEXT BLOCKS UPLOADED",
    "TELECOMMAND: SCHEDULE TABLE UPDATED",
    "TELECOMMAND: MAGNETORQUER PARAMETERS",
    "TELECOMMAND: BCR SET POINT TRIMMED",
    "TELECOMMAND: BEACON MODE CONFIRMED",
};

}  // namespace

TelemetryGenerator::TelemetryGenerator(const SimOptions& options)
    : options_(options),
      kinds_(SubSeed(options.seed, 10)),
      noise_(SubSeed(options.seed, 11)),
      damage_(SubSeed(options.seed, 12)),
      happenings_(SubSeed(options.seed, 13)),
      channels_(options.seed),
      counters_(InitialCounters(options.seed)),
      events_(options.startUtc, counters_),
      lastUtc_(options.startUtc) {
    if (options.modem == ModemType::Adc) adc_.emplace(options);
}

char TelemetryGenerator::NextKind() {
    static constexpr char kSide[] = {'K', 'E', 'L', 'M', 'E', 'N'};
    if (made_ % 3 != 2) return 'A';
    if (kinds_.Chance(1.0 / 8.0)) return 'D';
    return kSide[sideSlot_++ % static_cast<int>(std::size(kSide))];
}

void TelemetryGenerator::AdvanceSpacecraft(std::int64_t utc) {
    for (auto& e : ScheduledEventsBetween(lastUtc_, utc)) events_.Record(e.utc, std::move(e.text), counters_);
    if (happenings_.Chance(1.0 / 400.0)) {
        counters_.commandCount = (counters_.commandCount + 1) & 0xFFFF;
        events_.Record(utc, kTelecommands[happenings_.Below(std::size(kTelecommands))], counters_);
    }
    // The uplink limiter acts now and then while the transponder is busy.
    if (ActiveAt(Activity::Transponder, OrbitAt(utc).ma) && happenings_.Chance(1.0 / 40.0))
        counters_.leila = (counters_.leila + 1) & 0xFFFF;
    lastUtc_ = utc;
}

void TelemetryGenerator::BuildA(Block514& block, const SpacecraftState& state) {
    PutHeaderLine(block, "A  HI, THIS IS AMSAT OSCAR-40", state.utc, state.counters.commandCount);
    PutText(block, 1 * kLineWidth, ModeLine(state));
    PutText(block, 2 * kLineWidth, NewsLine(made_ / 30));
    PutText(block, 3 * kLineWidth, kSimulatedNotice);
    channels_.Write(state, noise_, block);
}

void TelemetryGenerator::BuildE(Block514& block) {
    // A stored event: the same event always gives the same block.
    const SpacecraftEvent& event = events_.NextToSend();
    const SpacecraftState state = StateAt(event.utc, event.counters);
    char line[80];
    PutHeaderLine(block, "E  AO-40 EVENT BUFFER", event.utc, event.counters.commandCount);
    std::snprintf(line, sizeof line, "RECORDED IN ORBIT %d AT MA %03d", OrbitNumber16(state.position.orbit),
                  state.position.ma);
    PutText(block, 1 * kLineWidth, line);
    // "EVENT #" fills 128..134, so the four digits of the number stand at 135..138.
    std::snprintf(line, sizeof line, "EVENT #%04X  %s", event.number & 0xFFFF, event.text.c_str());
    PutText(block, 2 * kLineWidth, line);
    PutText(block, 3 * kLineWidth, kSimulatedNotice);
    SimRandom snapshotNoise(SubSeed(options_.seed, 0x10000 + static_cast<std::uint64_t>(event.number)));
    channels_.Write(state, snapshotNoise, block);
}

void TelemetryGenerator::BuildD(Block514& block, std::int64_t utc) {
    // A page of the flight computer's memory; a page reads the same each time it comes round.
    const int page = dumpPage_++ % 16;
    PutHeaderLine(block, "D  IHU MEMORY DUMP", utc, 0x8000 + page * 0x200);
    PutText(block, 1 * kLineWidth, kSimulatedNotice);
    SimRandom memory(SubSeed(options_.seed, 0x20000 + static_cast<std::uint64_t>(page)));
    for (std::size_t i = 2 * kLineWidth; i < kTelemetryBytes; ++i) block[i] = static_cast<std::uint8_t>(memory.Next());
}

SimBlock TelemetryGenerator::Next() {
    SimBlock out;
    out.offset = nextOffset_;
    out.utc = options_.startUtc + static_cast<std::int64_t>(std::floor(out.offset));
    AdvanceSpacecraft(out.utc);
    const SpacecraftState state = StateAt(out.utc, counters_);

    const char kind = NextKind();
    switch (kind) {
        case 'A': BuildA(out.block, state); break;
        case 'E': BuildE(out.block); break;
        case 'D': BuildD(out.block, out.utc); break;
        default: PutPage(out.block, TextBlockPage(kind, state.position.orbit, options_.seed)); break;
    }
    Seal(out.block);
    if (adc_) {
        out.fecFrame = SentAsFecFrame(out.block);
        out.wire = adc_->Samples(out.block);
    } else {
        out.wire = WireBytes(out.block, options_.modem);
        out.intact = !damage_.Chance(options_.failShare);
        if (!out.intact) Damage(out.wire, out.block, damage_);
    }

    // The next block comes a spacecraft block period later, or later still when the line is too
    // slow to carry a block and the pause within that period. The ADC modem's samples take
    // exactly as long as the transmission, which the next one follows at once.
    const double transfer = static_cast<double>(out.wire.size()) / StreamBytesPerSecond(options_);
    nextOffset_ = out.offset + (adc_ ? transfer : std::max(kBlockPeriodSeconds, transfer + kBlockPauseSeconds));
    ++made_;
    return out;
}

std::vector<std::uint8_t> TelemetryGenerator::Closing() { return adc_ ? adc_->Closing() : std::vector<std::uint8_t>{}; }

}  // namespace orv::sim
