#include "sim/block_builder.h"

#include <algorithm>
#include <cstdio>

#include "reception/crcc.h"
#include "reception/dates.h"

namespace orv::sim {

void PutText(std::span<std::uint8_t> block, std::size_t at, std::string_view text, std::size_t width) {
    for (std::size_t i = 0; i < width; ++i)
        block[at + i] = static_cast<std::uint8_t>(i < text.size() ? text[i] : ' ');
}

void PutHeaderLine(std::span<std::uint8_t> block, std::string_view title, std::int64_t utc, int word) {
    const DateTime t = BreakDownSeconds(utc);
    char date[16], time[16], hex[8];
    std::snprintf(date, sizeof date, "%04d-%02d-%02d", t.year, t.month, t.day);
    std::snprintf(time, sizeof time, "%02d:%02d:%02d", t.hour, t.minute, t.second);
    std::snprintf(hex, sizeof hex, "%04X", word & 0xFFFF);
    PutText(block, 0, "", kLineWidth);
    PutText(block, 0, title, kTitleWidth);
    PutText(block, kDateAt, date, 10);
    PutText(block, kTimeAt, time, 8);
    block[kCommandWordAt - 1] = '#';
    PutText(block, kCommandWordAt, hex, 4);
    block[kLineWidth - 1] = 0;
}

void PutPage(std::span<std::uint8_t> block, const TextPage& page) {
    for (std::size_t row = 0; row < page.size(); ++row) PutText(block, row * kLineWidth, page[row]);
}

void Seal(Block514& block) {
    const std::uint16_t c = Crcc(std::span(block).first(kTelemetryBytes));
    block[512] = static_cast<std::uint8_t>(c >> 8);
    block[513] = static_cast<std::uint8_t>(c & 0xFF);
}

std::vector<std::uint8_t> WireBytes(const Block514& block, ModemType modem) {
    const auto length = static_cast<std::size_t>(BlockLength(modem));
    return {block.begin(), block.begin() + static_cast<long>(length)};
}

bool WirePasses(const std::vector<std::uint8_t>& wire, const Block514& sent) {
    Block514 received = sent;
    std::copy(wire.begin(), wire.end(), received.begin());
    return CrccPasses(received);
}

void Damage(std::vector<std::uint8_t>& wire, const Block514& sent, SimRandom& random) {
    // A short burst of errors, as a fade or a noise spike leaves it.
    const auto span = static_cast<std::uint32_t>(wire.size() - 2);
    const std::size_t at = 2 + random.Below(span);
    const std::uint32_t errors = 1 + random.Below(4);
    for (std::uint32_t i = 0; i < errors; ++i) {
        const std::size_t p = std::min(wire.size() - 1, at + random.Below(8));
        wire[p] ^= static_cast<std::uint8_t>(1u << random.Below(8));
    }
    // Flips that cancel or meet a matching CRCC are possible; one more bit settles it.
    while (WirePasses(wire, sent)) wire[2 + random.Below(span)] ^= static_cast<std::uint8_t>(1u << random.Below(8));
}

}  // namespace orv::sim
