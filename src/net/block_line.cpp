#include "net/block_line.h"

#include <cstdio>

#include "reception/dates.h"

namespace orv {
namespace {

// Header characters that are not printable (or a space) become "?", so that every field stays
// one word on one line whatever the block holds.
std::string HeaderField(ConstBytes block, std::size_t first, std::size_t count) {
    std::string text;
    for (std::size_t i = first; i < first + count; ++i) {
        const std::uint8_t b = block[i];
        text.push_back(b > 0x20 && b < 0x7F ? static_cast<char>(b) : '?');
    }
    return text;
}

constexpr std::size_t kHeaderDate = 36, kHeaderDateLength = 10;  // "2003-12-30"
constexpr std::size_t kHeaderTime = 48, kHeaderTimeLength = 8;   // "14:05:09"

}  // namespace

std::string IsoUtcText(std::int64_t utcSeconds) {
    const DateTime t = BreakDownSeconds(utcSeconds);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02dZ", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    return text;
}

std::string HeaderTimeText(ConstBytes block) {
    return HeaderField(block, kHeaderDate, kHeaderDateLength) + ' ' + HeaderField(block, kHeaderTime, kHeaderTimeLength);
}

std::string BlockLine(ConstBytes block, const std::string& verdict, std::int64_t utcSeconds) {
    const char id = BlockId(block);
    std::string line = IsoUtcText(utcSeconds);
    line += ' ';
    line += id > 0x20 && id < 0x7F ? id : '?';
    line += ' ';
    line += verdict;
    if (id == 'A') {
        line += ' ';
        line += HeaderTimeText(block);
    }
    return line;
}

}  // namespace orv
