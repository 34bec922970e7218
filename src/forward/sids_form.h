#pragma once
// The Simple Downlink Sharing Convention (SiDS): one HTTP POST per received frame, with the
// form fields (application/x-www-form-urlencoded)
//   noradID    the spacecraft's NORAD catalogue number          26609
//   source     the receiving station's callsign                   DL1ABC
//   timestamp  UTC reception time, ISO 8601 with milliseconds     2026-12-10T02:24:39.123Z
//   frame      the bytes that were sent, in upper-case hexadecimal 4120...1634 (1028 digits; 512
//              for an FEC frame's data, as gr-satellites and SatNOGS store it)
//   locator    how the position is given: always "longLat"
//   longitude  decimal degrees and E or W                          4.3647E
//   latitude   decimal degrees and N or S                          52.0146N
//   version    the program that sends                             Orv/0.1.0
// The request goes out with the User-Agent "Orv/VERSION".
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "reception/received_block.h"

namespace orv {

inline constexpr int kAo40NoradId = 26609;   // AMSAT OSCAR-40
inline constexpr int kQo100NoradId = 43700;  // Es'hail-2, whose narrowband beacon sends the same format

struct SidsStation {
    std::string callsign;
    double latitude = 0;   // degrees, north positive, -90..90
    double longitude = 0;  // degrees, east positive, -180..180
    int noradId = kAo40NoradId;
};

// Empty when the station can submit; otherwise what is wrong ("the callsign is empty", ...).
std::string SidsStationProblem(const SidsStation& station);

// Only live blocks that passed their CRCC (blocks rebuilt from FEC frames carry a good one) are
// shared: never replays, the simulator, the demo, a KISS file without times, tests, failed or
// unchecked blocks.
bool ShouldSubmitToSids(const ReceivedBlock& block);

struct FormField {
    std::string name;
    std::string value;
};

// The fields of one submission, in the order listed above.
std::vector<FormField> SidsFields(const SidsStation& station, const ReceivedBlock& block);

// "name=value&name=value" with every byte but A-Z a-z 0-9 - . _ ~ percent-encoded and spaces as '+'.
std::string FormUrlEncode(const std::vector<FormField>& fields);
std::string FormUrlEncodeComponent(std::string_view text);

// "2026-12-10T02:24:39.123Z" for milliseconds since 1970-01-01 00:00:00 UTC.
std::string IsoUtcMillisecondsText(std::int64_t utcMilliseconds);

// "Orv/0.1.0": this program and its version, for SiDS's version field and the User-Agent.
std::string ProgramToken();

// Upper-case hexadecimal, two digits per byte, no separators.
std::string HexText(std::span<const std::uint8_t> bytes);

// "52.0146N", "33.9249S"; "4.3647E", "71.0000W": four decimals (about 11 m), '.' always.
std::string LatitudeText(double degrees);
std::string LongitudeText(double degrees);

// Reads a coordinate as an operator types it: "52.0146", "-33.9", "52.0146N", "4.3647W".
// False, with a reason in `error`, when it is not a number in range (90 for latitude, 180 for
// longitude) or has the wrong hemisphere letter.
bool ParseCoordinate(std::string_view text, bool latitude, double& degrees, std::string& error);

}  // namespace orv
