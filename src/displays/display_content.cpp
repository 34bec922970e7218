#include "displays/display_content.h"

#include <algorithm>
#include <cstdio>

namespace orv {

std::string_view ColourName(FieldColour colour) {
    switch (colour) {
        case FieldColour::Form: return "form";
        case FieldColour::Black: return "black";
        case FieldColour::Red: return "red";
        case FieldColour::Grey: return "grey";
        case FieldColour::Blue: return "blue";
        case FieldColour::Teal: return "teal";
        case FieldColour::Yellow: return "yellow";
    }
    return "form";
}

std::optional<Rgb> ColourRgb(FieldColour colour) {
    switch (colour) {
        case FieldColour::Form: return std::nullopt;
        case FieldColour::Black: return Rgb{0, 0, 0};
        case FieldColour::Red: return Rgb{255, 0, 0};
        case FieldColour::Grey: return Rgb{128, 128, 128};
        case FieldColour::Blue: return Rgb{0, 0, 255};
        case FieldColour::Teal: return Rgb{0, 128, 128};
        case FieldColour::Yellow: return Rgb{255, 255, 0};
    }
    return std::nullopt;
}

bool RawToggleRedraws(ConstBytes display, bool crccStatus, int blockLength) {
    return !display.empty() && display[0] == 'A' && (crccStatus || blockLength == static_cast<int>(kTelemetryBytes));
}

namespace {

// Windows-1252 characters of the bytes #80..#9F; 0 where the code page has none.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0, 0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178,
};

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace

std::string BlockCharacters(ConstBytes block, std::size_t first, std::size_t count) {
    std::string out;
    for (std::size_t i = first; i < first + count && i < block.size(); ++i) {
        const std::uint8_t b = block[i];
        if (b == 0) break;
        char32_t c = b;
        if (b < 0x20 || b == 0x7F) c = 0xFFFD;
        else if (b >= 0x80 && b < 0xA0) c = kCp1252High[b - 0x80] != 0 ? kCp1252High[b - 0x80] : 0xFFFD;
        AppendUtf8(out, c);
    }
    return out;
}

std::vector<DisplayField> PlaceholderFields(std::vector<DisplayField> fields, std::string_view emptyGroup) {
    for (auto& f : fields) {
        f.text = (!emptyGroup.empty() && f.info.group == emptyGroup) ? "" : "---";
        f.colour = FieldColour::Form;
    }
    return fields;
}

Block514 PaddedBlock(ConstBytes block) {
    Block514 out{};
    std::copy_n(block.begin(), std::min(block.size(), out.size()), out.begin());
    return out;
}

std::string DecimalText(unsigned value) { return std::to_string(value); }

std::string HexText(unsigned value, int digits, bool hashPrefix) {
    char buf[24];
    std::snprintf(buf, sizeof buf, hashPrefix ? "#%0*X" : "%0*X", digits, value);
    return buf;
}

}  // namespace orv
