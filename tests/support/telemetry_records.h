#pragma once
// Telemetry records as the log files hold them (512 bytes each), made on the spot.
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <utility>
#include <vector>

#include "reception/block.h"
#include "sealed_block.h"

namespace orv::test {

// A standard A block, all other bytes 0, with the time text "YYYY-MM-DD  hh:mm:ss" at bytes
// 36..55 (at most 20 characters are taken).
inline Block512 MakeABlock(std::string_view time = "2003-04-15  12:00:00") {
    Block512 b = StandardBlock('A');
    for (std::size_t k = 0; k < time.size() && k < 20; ++k) b[36 + k] = static_cast<std::uint8_t>(time[k]);
    return b;
}

// A standard E block, all other bytes 0, with the event number digits at 135..138 (at most 4).
inline Block512 MakeEBlock(std::string_view digits) {
    Block512 b = StandardBlock('E');
    for (std::size_t k = 0; k < 4 && k < digits.size(); ++k) b[135 + k] = static_cast<std::uint8_t>(digits[k]);
    return b;
}

// `b` with the given (address, value) bytes set; addresses 0..511.
inline Block512 With(Block512 b, std::initializer_list<std::pair<std::size_t, std::uint8_t>> bytes) {
    for (auto [address, value] : bytes) b[address] = value;
    return b;
}

// The records one after another, as a log file holds them.
inline std::vector<std::uint8_t> Concat(const std::vector<Block512>& blocks) {
    std::vector<std::uint8_t> bytes;
    for (const auto& b : blocks) bytes.insert(bytes.end(), b.begin(), b.end());
    return bytes;
}

}  // namespace orv::test
