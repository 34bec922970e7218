#include "tools/byte_dump.h"

#include <cmath>
#include <cstdio>

namespace orv {
namespace {

constexpr int kColumns = 16;
constexpr int kRows = 32;

std::string Printed(const char* format, unsigned value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

}  // namespace

std::string ByteDumpText(ConstBytes block, bool decimal) {
    std::string text = decimal ? "   | 00  01  02  03  04  05  06  07  08  09  10  11  12  13  14  15\n"
                               : "   | 00  01  02  03  04  05  06  07  08  09  0A  0B  0C  0D  0E  0F\n";
    text += std::string(68, '-');
    for (int row = 0; row < kRows; ++row) {
        std::string line = Printed(decimal ? "%03u| " : "%03X| ", static_cast<unsigned>(row * kColumns));
        for (int column = 0; column < kColumns; ++column) {
            const unsigned v = block[static_cast<std::size_t>(row * kColumns + column)];
            if (decimal && v >= 100) {
                line.erase(line.find_last_not_of(' ') + 1);
                if (column != 0) line += ' ';
            }
            line += Printed(decimal ? "%02u  " : "%02X  ", v);
        }
        text += '\n';
        text += line;
    }
    return text;
}

std::optional<int> ByteDumpAddressAt(int x, int y, double scale) {
    const double horizontal = scale != 1.0 ? scale : 1.0;
    const double vertical = scale != 1.0 ? scale * 1.05 : 1.0;
    // Floor, not truncation toward zero: a pointer left of or above the first cell is outside.
    const double column = std::floor((x - 36) / 31.7 / horizontal);
    const double row = std::floor(std::floor((y - 30) / 15.0) / vertical);
    if (column < 0 || column >= kColumns || row < 0 || row >= kRows) return std::nullopt;
    return static_cast<int>(row) * kColumns + static_cast<int>(column);
}

std::string ByteDumpAddressText(std::optional<int> address, bool decimal) {
    if (!address) return "---";
    return Printed(decimal ? "%03u" : "#%03X", static_cast<unsigned>(*address));
}

void CopyAddressToMonitor(MonitorFields& addresses, const std::string& addressText) {
    for (auto& field : addresses) {
        if (field.empty()) {
            field = " " + addressText;
            return;
        }
    }
    addresses[0] = " " + addressText;
}

}  // namespace orv
