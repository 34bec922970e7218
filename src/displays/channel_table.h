#pragma once
// The AO-40 telemetry channels the display windows show, one row per address: the field's id,
// caption, hint and graph. The value of an address is its calibration (channel_conversion.h);
// the windows decide where a channel stands and when it is shown.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "displays/display_content.h"

namespace orv {

// How a hint names its address after "Telem. addr =": one byte ("#10B/267"), or a 16-bit word
// by both bytes, low first ("#1C0/448 - #1C1/449") or high first ("#1A7/423 & #1A6/422").
enum class HintAddress : std::uint8_t { Byte, WordLowFirst, WordHighFirst };

// The hint's layout as the windows have it: blanks after "=", address form, a trailing blank.
struct HintStyle {
    std::uint8_t blanks;
    HintAddress form;
    bool trailingBlank;
};

struct TelemetryChannel {
    int address;                 // the byte, or the low byte of a word
    std::string_view id;         // field id in its window, the listing and JSON ("bat_main")
    std::string_view caption;    // "Bat.Main:"
    std::string_view title;      // graph title; empty when a caption click graphs nothing
    std::string_view units;      // graph units
    HintStyle hint;
};

// The table, in address order.
std::span<const TelemetryChannel> ChannelTable();

// The row of `address`, or null.
const TelemetryChannel* FindTelemetryChannel(int address);

// The caption hint of a channel: "Telem. addr = #10B/267".
std::string ChannelHint(const TelemetryChannel& channel);

// The field of the channel at `address` in group `group` (and `subgroup`); the hint and graph
// link come from the table. An address the table lacks is a fault of the window: logic_error.
FieldInfo ChannelField(int address, std::string_view group, std::string_view subgroup = {});

}  // namespace orv
