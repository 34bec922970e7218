#pragma once
// The relay's wire forms. Every block travels behind the 8-byte network sync marker; there is no
// length field and no acknowledgement.
//   TCP "Full block": marker, then the 514 block bytes (block and CRCC bytes).
//   TCP "Real time":  the bytes of each receiver call as they came, the marker first when they
//                     start a new block.
//   UDP:              one datagram per block: marker and the block as received (520 or 522 bytes).
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orv {

inline constexpr std::array<std::uint8_t, 8> kNetworkSyncMarker{0x2F, 0x8F, 0x6E, 0x4D, 0x28, 0x86, 0x75, 0x60};
inline constexpr std::size_t kMarkerBytes = kNetworkSyncMarker.size();

inline constexpr std::uint16_t kDefaultTcpPort = 1024;  // port field default and fallback
inline constexpr std::uint16_t kDefaultUdpPort = 2121;  // UDP destination fallback

// Replaces out with the wire form of bytes: the marker first when withMarker is set. Serves all
// three paths: a full block and a datagram always carry the marker, a real-time chunk when it
// starts a block.
void BuildFrame(std::vector<std::uint8_t>& out, std::span<const std::uint8_t> bytes, bool withMarker);

// The port field read as a number: a whole number 1..65535 (spaces around it allowed), otherwise
// the fallback.
std::uint16_t PortFromText(std::string_view text, std::uint16_t fallback);

// "HOST:PORT", "[IPv6]:PORT". False, with a reason in *error, when the host is empty or the port
// is not a whole number 1..65535.
bool ParseHostPort(std::string_view text, std::string& host, std::uint16_t& port, std::string* error = nullptr);

}  // namespace orv
