#pragma once
// What a display window shows: its value fields with group, caption, text, colour and hint, in
// the window's reading order. The windows render these lists; orv-cli prints them.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "displays/channel_conversion.h"
#include "reception/block.h"
#include "reception/dispatch.h"

namespace orv {

// Text colours of the value fields. Form: the form's own font colour.
enum class FieldColour { Form, Black, Red, Grey, Blue, Teal, Yellow };

struct Rgb {
    int r = 0, g = 0, b = 0;
};

// "form", "black", "red", "grey", "blue", "teal", "yellow".
std::string_view ColourName(FieldColour colour);
// RGB of a colour; Form has none (the window uses its font colour).
std::optional<Rgb> ColourRgb(FieldColour colour);

// The channel a caption click hands to the channel graph.
struct GraphLink {
    int address = 0;
    std::string_view title;
    std::string_view units;

    GraphRequest Request() const { return {address, std::string(title), std::string(units)}; }
};

// Fixed description of one value field. All views refer to static text.
struct FieldInfo {
    std::string_view id;          // stable within the window, e.g. "rx_v"
    std::string_view group;       // caption of the group box, "Header" for the Status top panel
    std::string_view subgroup;    // sub-heading inside the group ("ES-R Upper"), or empty
    std::string_view caption;     // the field's caption as the window shows it
    std::string_view hint;        // the caption's hint
    std::string_view valueHint;   // the value's own hint, where it has one
    std::optional<GraphLink> graph;
};

struct DisplayField {
    FieldInfo info;
    std::string text;
    FieldColour colour = FieldColour::Form;
};

// A group box with its caption and hint.
struct GroupInfo {
    std::string_view caption;
    std::string_view hint;
};

// The inputs of a window's update: the display block (512 or 514 bytes), the last A block (only
// the Status title reads it), the Events mode and the window's raw display flag.
struct DisplayInput {
    ConstBytes display;
    ConstBytes lastA;
    bool eventsMode = false;
    bool raw = false;
};

// Fixed facts of a display window.
struct WindowInfo {
    std::string_view objectName;     // "StatusWindow"
    std::string_view caption;       // the window title
    std::string_view checkBox;      // the main window's check box that shows it
    std::string_view formHint;      // hint of the free surface
    int formNumber = 0;             // "FormN.Top" / "FormN.Left"
    int defaultTop = 0;             // defaults for those values, in their stored unit (twips)
    int defaultLeft = 0;
    bool hasRawMode = false;
};


// True when a raw/converted toggle redraws the window at once: byte 0 is exactly "A" (no failed
// mark) and the block passed its CRCC or came without one (512-byte blocks).
bool RawToggleRedraws(ConstBytes display, bool crccStatus, int blockLength);

// Bytes [first, first + count) of the block as text, one character per byte as it stands
// (Windows-1252), as a label shows them: a 0 byte ends the text, other control bytes become
// U+FFFD so a text never breaks a line. UTF-8.
std::string BlockCharacters(ConstBytes block, std::size_t first, std::size_t count);

// The same fields before the first update: "---" in the form colour, and empty for the fields
// of the group `emptyGroup` (the Status header).
std::vector<DisplayField> PlaceholderFields(std::vector<DisplayField> fields, std::string_view emptyGroup = {});

// The block as 514 bytes; bytes the given span lacks read as 0.
Block514 PaddedBlock(ConstBytes block);

// Appends fields in reading order.
class FieldList {
public:
    void Add(const FieldInfo& info, std::string text, FieldColour colour = FieldColour::Form) {
        fields_.push_back({info, std::move(text), colour});
    }
    std::vector<DisplayField> Take() { return std::move(fields_); }

private:
    std::vector<DisplayField> fields_;
};

// Reading helpers for the field builders; the addresses are those of a 512-byte block.
inline bool Bit(ConstBytes block, int address, int bit) {
    return ((block[static_cast<std::size_t>(address)] >> bit) & 1) != 0;
}
inline std::uint8_t Byte(ConstBytes block, int address) { return block[static_cast<std::size_t>(address)]; }
inline unsigned Word(ConstBytes block, int lowAddress) { return Byte(block, lowAddress) + 256U * Byte(block, lowAddress + 1); }

// "ON" (red) or "off" (black).
struct StateText {
    std::string text;
    FieldColour colour;
};
inline StateText OnOff(bool on) { return on ? StateText{"ON", FieldColour::Red} : StateText{"off", FieldColour::Black}; }
// Red unless the text is "off".
inline FieldColour RedUnlessOff(std::string_view text) { return text == "off" ? FieldColour::Black : FieldColour::Red; }

std::string DecimalText(unsigned value);
// Upper-case hexadecimal with `digits` digits and an optional "#" prefix.
std::string HexText(unsigned value, int digits, bool hashPrefix);

}  // namespace orv
