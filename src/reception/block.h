#pragma once
// The telemetry block: 512 telemetry bytes, followed from 514-byte sources by the two CRCC bytes.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace orv {

inline constexpr std::size_t kTelemetryBytes = 512;  // bytes 0..511, telemetry address k is byte k
inline constexpr std::size_t kFullBlockBytes = 514;  // with CRCC high (512) and low (513) byte
inline constexpr std::size_t kFecDataBytes = 256;    // the data bytes of one decoded FEC frame
inline constexpr std::uint8_t kFailedMark = 0x80;    // bit 7 of byte 0 (and of byte 1 for 512-byte blocks)

using Block514 = std::array<std::uint8_t, kFullBlockBytes>;
using Block512 = std::array<std::uint8_t, kTelemetryBytes>;
using ConstBytes = std::span<const std::uint8_t>;

// Telemetry addresses with a fixed meaning in standard blocks.
inline constexpr std::size_t kEventPointerAddress = 478;  // little-endian word #1DE..#1DF of an A block
inline constexpr std::size_t kEventNumberAddress = 135;   // four hexadecimal digits 135..138 of an E block

// Block ID: byte 0 with the failed mark cleared. Second character: byte 1 likewise.
inline char BlockId(ConstBytes block) { return static_cast<char>(block[0] & 0x7F); }
inline char SecondChar(ConstBytes block) { return static_cast<char>(block[1] & 0x7F); }

// A "standard" block of kind `kind`: block ID `kind` and second character a space.
inline bool IsStandard(ConstBytes block, char kind) { return BlockId(block) == kind && SecondChar(block) == ' '; }

// Index 0..3 of the text copy for "K".."N", or -1 for any other block ID.
inline int TextCopyIndex(char id) { return (id >= 'K' && id <= 'N') ? id - 'K' : -1; }

// Received CRCC of a 514-byte block: byte 512 x 256 + byte 513.
inline std::uint16_t ReceivedCrcc(ConstBytes block) {
    return static_cast<std::uint16_t>(block[512] * 256 + block[513]);
}

// True when the CRCC computed over bytes 0..511 equals the received CRCC.
bool CrccPasses(ConstBytes block514);

// Event pointer of a standard A block: the word at 478..479.
inline int EventPointer(ConstBytes block) { return block[478] + 256 * block[479]; }

// Event number of a standard E block: bytes 135..138 read as four hexadecimal digits, 0 when
// any of them is not a hexadecimal digit.
int EventNumber(ConstBytes block);

// The date and time of an A block's text header, "2003-12-30 14:05:09" (bytes 36..45 and 48..55;
// unprintable bytes as "?", so that the text is always one line of two words).
std::string HeaderTimeText(ConstBytes block);

// The failed-CRCC stamp written into a failed 514-byte block before it is logged:
// "P3D" and the received CRCC at 466..470 of a standard A or E block, the received CRCC at
// 510..511 of a standard K, L, M or N block; other kinds are left unchanged.
void WriteFailedCrccStamp(std::span<std::uint8_t> block514);

}  // namespace orv
