#pragma once
// Pieces from which the simulator builds its blocks, and the forms they take on the line.
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "sim/block_texts.h"
#include "sim/sim_random.h"
#include "reception/block.h"
#include "reception/startup_settings.h"

namespace orv::sim {

// Where the first line of A, E and D blocks keeps its fields.
inline constexpr std::size_t kTitleWidth = 29;    // 0..28
inline constexpr std::size_t kDateAt = 36;        // "YYYY-MM-DD", 36..45
inline constexpr std::size_t kTimeAt = 48;        // "HH:MM:SS", 48..55
inline constexpr std::size_t kCommandWordAt = 59; // four hexadecimal digits after "#" at 58

// Writes `text` at `at`, cut or padded with spaces to `width` bytes.
void PutText(std::span<std::uint8_t> block, std::size_t at, std::string_view text, std::size_t width = kLineWidth);

// The first line: title (its first letter is the block kind), the UTC date and time of `utc`,
// "#" and `word` as four hexadecimal digits, and a 0 byte at 63.
void PutHeaderLine(std::span<std::uint8_t> block, std::string_view title, std::int64_t utc, int word);

// The eight lines of a text page into bytes 0..511.
void PutPage(std::span<std::uint8_t> block, const TextPage& page);

// The CRCC of bytes 0..511 into bytes 512 (high) and 513 (low).
void Seal(Block514& block);

// The block as the modem delivers it: 512 bytes, or 514 with the CRCC bytes.
std::vector<std::uint8_t> WireBytes(const Block514& block, ModemType modem);

// Line errors: flips bits of the wire bytes (never the block ID in byte 0 and the second
// character in byte 1, so the kind stays readable) until the block no longer passes its CRCC.
// `sent` is the intact block, whose CRCC a 512-byte line does not carry.
void Damage(std::vector<std::uint8_t>& wire, const Block514& sent, SimRandom& random);

// True when the wire bytes would pass the CRCC check (for 512 bytes: against the CRCC of `sent`).
bool WirePasses(const std::vector<std::uint8_t>& wire, const Block514& sent);

}  // namespace orv::sim
