#include "reception/block.h"

#include "reception/crcc.h"
#include "text/text_parse.h"

namespace orv {

bool CrccPasses(ConstBytes block514) {
    return Crcc(block514.first(kTelemetryBytes)) == ReceivedCrcc(block514);
}

int EventNumber(ConstBytes block) {
    int value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        const int digit = DigitValue(static_cast<char>(block[kEventNumberAddress + i]), 16);
        if (digit < 0) return 0;
        value = value * 16 + digit;
    }
    return value;
}

void WriteFailedCrccStamp(std::span<std::uint8_t> block) {
    if (IsStandard(block, 'A') || IsStandard(block, 'E')) {
        block[466] = 'P';
        block[467] = '3';
        block[468] = 'D';
        block[469] = block[512];
        block[470] = block[513];
    } else if (SecondChar(block) == ' ' && TextCopyIndex(BlockId(block)) >= 0) {
        block[510] = block[512];
        block[511] = block[513];
    }
}

namespace {

// Header characters that are not printable (or a space) become "?".
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

std::string HeaderTimeText(ConstBytes block) {
    return HeaderField(block, kHeaderDate, kHeaderDateLength) + ' ' + HeaderField(block, kHeaderTime, kHeaderTimeLength);
}

}  // namespace orv
