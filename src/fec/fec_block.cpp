#include "fec/fec_block.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "reception/crcc.h"
#include "reception/dates.h"

namespace orv {
namespace {

constexpr std::size_t kLine = 64;
constexpr char kHeaderLine[] = "A  HI, THIS IS AMSAT OSCAR-40       YYYY-MM-DD  HH:MM:SS  #CCCC";
constexpr char kFrameLine[] = "+--------------------------------------------------------------+";
constexpr char kBannerLine[] = "|             RECONSTRUCTED FROM DECODED FEC BLOCK             |";
static_assert(sizeof kHeaderLine == kLine && sizeof kFrameLine == kLine + 1 && sizeof kBannerLine == kLine + 1);

constexpr std::size_t kDateAt = 36;
constexpr std::size_t kTimeAt = 48;
constexpr std::size_t kCheckAt = 59;

void Put(Block514& block, std::size_t at, const std::string& text, std::size_t width) {
    std::memcpy(block.data() + at, text.data(), std::min(text.size(), width));
}

}  // namespace

int FecDayCount(std::span<const std::uint8_t, kFecDataBytes> data) {
    return data[kFecDayOffset] + 256 * data[kFecDayOffset + 1];
}

std::string FecDateText(int dayCount) {
    // DateText gives "2003 Dec 30 [Tue]": year at 0..3, month name at 5..7, day at 9..10.
    const std::string t = DateText(dayCount + kAmsatDayZero);
    static const std::string kMonths = "JanFebMarAprMayJunJulAugSepOctNovDec";
    const std::size_t m = t.size() >= 11 ? kMonths.find(t.substr(5, 3)) : std::string::npos;
    if (m == std::string::npos || m % 3 != 0) return "0000-00-00";
    char month[3];
    std::snprintf(month, sizeof month, "%02d", static_cast<int>(m / 3 + 1));
    return t.substr(0, 4) + "-" + month + "-" + t.substr(9, 2);
}

std::string FecTimeText(std::span<const std::uint8_t, kFecDataBytes> data) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", data[kFecSecondsOffset + 2], data[kFecSecondsOffset + 1],
                  data[kFecSecondsOffset]);
    return text;
}

Block514 ReconstructFecBlock(std::span<const std::uint8_t, kFecDataBytes> data) {
    Block514 block{};
    std::copy(data.begin(), data.end(), block.begin() + 4 * kLine);
    std::memcpy(block.data(), kHeaderLine, kLine);  // with its 0 byte at 63
    std::memcpy(block.data() + kLine, kFrameLine, kLine);
    std::memcpy(block.data() + 2 * kLine, kBannerLine, kLine);
    std::memcpy(block.data() + 3 * kLine, kFrameLine, kLine);

    Put(block, kDateAt, FecDateText(FecDayCount(data)), 10);
    // Hours, minutes or seconds above 99 make a longer text; the header keeps its first 8 characters.
    Put(block, kTimeAt, FecTimeText(data), 8);
    char check[8];
    std::snprintf(check, sizeof check, "%04X", data[kFecCheckOffset] + 256 * data[kFecCheckOffset + 1]);
    Put(block, kCheckAt, check, 4);

    const std::uint16_t crcc = Crcc(std::span<const std::uint8_t>(block.data(), kTelemetryBytes));
    block[512] = static_cast<std::uint8_t>(crcc >> 8);
    block[513] = static_cast<std::uint8_t>(crcc & 0xFF);
    return block;
}

}  // namespace orv
