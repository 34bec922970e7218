#pragma once
// Table-driven checks of window content: (bytes set, raw flag, field id, text, colour).
#include <gtest/gtest.h>

#include <initializer_list>
#include <span>
#include <string_view>
#include <vector>

#include "displays/display_content.h"

namespace orv::test {

// Short names for the colours in the case tables.
inline constexpr auto Form = FieldColour::Form;
inline constexpr auto Black = FieldColour::Black;
inline constexpr auto Red = FieldColour::Red;
inline constexpr auto Grey = FieldColour::Grey;
inline constexpr auto Blue = FieldColour::Blue;
inline constexpr auto Teal = FieldColour::Teal;
inline constexpr auto Yellow = FieldColour::Yellow;

struct ByteSet {
    int address;
    std::uint8_t value;
};

// A good A block, all other bytes 0, with the given bytes set.
inline Block514 ABlock(std::initializer_list<ByteSet> bytes) {
    Block514 b{};
    b[0] = 'A';
    b[1] = ' ';
    for (const auto& s : bytes) b[static_cast<std::size_t>(s.address)] = s.value;
    return b;
}

inline const DisplayField* FindField(const std::vector<DisplayField>& fields, std::string_view id) {
    for (const auto& f : fields)
        if (f.info.id == id) return &f;
    return nullptr;
}

struct FieldCase {
    std::initializer_list<ByteSet> bytes;
    bool raw;
    std::string_view id;
    std::string_view text;
    FieldColour colour;
};

using FieldsFunction = std::vector<DisplayField> (*)(const DisplayInput&);

inline void ExpectFields(FieldsFunction fields, std::span<const FieldCase> cases) {
    for (const auto& c : cases) {
        const Block514 block = ABlock(c.bytes);
        const auto content = fields({block, block, false, c.raw});
        const DisplayField* f = FindField(content, c.id);
        ASSERT_NE(f, nullptr) << c.id;
        std::string bytes;
        for (const auto& s : c.bytes) bytes += " #" + std::to_string(s.address) + "=" + std::to_string(s.value);
        EXPECT_EQ(f->text, c.text) << c.id << (c.raw ? " raw" : "") << bytes;
        EXPECT_EQ(ColourName(f->colour), ColourName(c.colour)) << c.id << (c.raw ? " raw" : "") << bytes;
    }
}

}  // namespace orv::test
