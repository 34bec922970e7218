#pragma once
// The inputs the station can receive from, one row each: what selects it (the "Modem Type" of
// the settings, Setup's item, the command line), what it delivers, and how its driver is made.
// The station opens the row of the modem type when "Raw" (or "K".."N") is chosen; the relay
// client and KISS are started by their own controls. A new input is a driver file, a row here and
// its line in MakeInput.
// Plain C++; the drivers are made by MakeInput (make_input.h).
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "reception/startup_settings.h"

namespace orv {

enum class InputKind { SerialModem, AdcModem, Audio, Iq, RelayClient, Kiss };

struct InputRow {
    InputKind kind;
    std::string_view name;           // for the command line and status lines: "serial", "adc", ...
    std::optional<ModemType> modem;  // the "Modem Type" that makes it the input "Raw" opens
    std::string_view setupCaption;   // Setup's "Modem Type" item; empty when Setup does not offer it
    bool samples;                    // delivers ADC samples: the FEC status line and the ADC analysis
    bool serialDevice;               // opens the serial device: failures name the device and its group
    bool opensWithRaw;               // "Raw" opens it; else its own controls start it (relay client, KISS)
};

// Every input, in the order of Setup's "Modem Type" items first.
std::span<const InputRow> InputTable();
// The row of a modem type, and of a Setup "Modem Type" item (null when there is no such item).
const InputRow& InputForModem(ModemType modem);
const InputRow* InputForSetupItem(int item);
const InputRow& InputOfKind(InputKind kind);
// The modem on the serial device named `name` ("512", "514", "ADC"), as --modem takes it; null
// for any other name.
const InputRow* SerialModemNamed(std::string_view name);
// Their names for a message: "512, 514 or ADC".
std::string SerialModemNames();

}  // namespace orv
