#pragma once
// The Monitor: up to ten watched telemetry addresses of the display block, shown as bytes or
// 16-bit words in decimal (optionally signed), hexadecimal or binary.
#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "reception/block.h"
#include "reception/settings_store.h"

namespace orv {

inline constexpr std::size_t kMonitorFields = 10;
using MonitorFields = std::array<std::string, kMonitorFields>;  // Edit1..Edit10 or StaticText1..10

enum class MonitorBase { Dec, Hex, Bin };
enum class MonitorWidth { Byte, Word };

// The format controls: the checked number base and width, the "Signed" box, and which of "Word"
// and "Signed" are enabled. Each Select... is the click handler of that control; a click on a
// disabled control does nothing.
class MonitorFormat {
public:
    MonitorBase Base() const { return base_; }
    MonitorWidth Width() const { return width_; }
    bool SignedChecked() const { return signedChecked_; }
    bool WordEnabled() const { return wordEnabled_; }
    bool SignedEnabled() const { return signedEnabled_; }
    // Words are shown signed: "Dec", "Word" and "Signed" together.
    bool ShowsSigned() const;

    void SelectDec();
    void SelectHex();
    void SelectBin();
    void SelectWord();
    void SelectByte();
    void SetSigned(bool checked);

private:
    MonitorBase base_ = MonitorBase::Hex;
    MonitorWidth width_ = MonitorWidth::Byte;
    bool signedChecked_ = false;
    bool wordEnabled_ = true;
    bool signedEnabled_ = false;
};

// The value text of one address field: " --- " for an address outside 0..511; otherwise the byte
// (or the little-endian word, whose high byte at address 511 is byte 512) in the chosen format.
// The text is read after trimming spaces and raising it to upper case; text that is not a number
// watches address 0.
std::string MonitorValueText(std::string_view addressText, const MonitorFormat& format, const Block514& display);

// Refreshes the value fields from the address fields: each non-empty address field sets its
// value field; an empty one leaves its value field as it is.
void MonitorUpdate(const MonitorFields& addresses, const MonitorFormat& format, const Block514& display,
                   MonitorFields& values);

// The ten address texts under "Monitor" as "Address #1".."Address #10", exactly as typed.
MonitorFields ReadMonitorAddresses(const KeyValueStore& store);
void WriteMonitorAddresses(KeyValueStore& store, const MonitorFields& addresses);

}  // namespace orv
