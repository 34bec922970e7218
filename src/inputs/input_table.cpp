#include "inputs/input_table.h"

#include <array>
#include <stdexcept>
#include <vector>

namespace orv {
namespace {

constexpr std::array<InputRow, 7> kInputs = {{
    // kind                  name            modem type           Setup item  samples serial  Raw
    {InputKind::SerialModem, "512",          ModemType::Bytes512, "512 byte", false,  true,   true},
    {InputKind::SerialModem, "514",          ModemType::Bytes514, "514 byte", false,  true,   true},
    {InputKind::AdcModem,    "ADC",          ModemType::Adc,      "ADC",      true,   true,   true},
    {InputKind::Audio,       "Audio",        ModemType::Audio,    "Audio",    true,   false,  true},
    {InputKind::Iq,          "SDR",          ModemType::Sdr,      "SDR",      true,   false,  true},
    {InputKind::RelayClient, "relay client", std::nullopt,        "",         false,  false,  false},
    {InputKind::Kiss,        "KISS",         std::nullopt,        "",         false,  false,  false},
}};

}  // namespace

std::span<const InputRow> InputTable() { return kInputs; }

const InputRow& InputForModem(ModemType modem) {
    for (const InputRow& row : kInputs)
        if (row.modem == modem) return row;
    throw std::logic_error("no input for a modem type");
}

const InputRow* InputForSetupItem(int item) {
    int i = 0;
    for (const InputRow& row : kInputs) {
        if (row.setupCaption.empty()) continue;
        if (i++ == item) return &row;
    }
    return nullptr;
}

const InputRow* SerialModemNamed(std::string_view name) {
    for (const InputRow& row : kInputs)
        if (row.serialDevice && row.modem && row.name == name) return &row;
    return nullptr;
}

std::string SerialModemNames() {
    std::vector<std::string_view> names;
    for (const InputRow& row : kInputs)
        if (row.serialDevice && row.modem) names.push_back(row.name);
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) text += i + 1 == names.size() ? " or " : ", ";
        text += names[i];
    }
    return text;
}

const InputRow& InputOfKind(InputKind kind) {
    for (const InputRow& row : kInputs)
        if (row.kind == kind) return row;
    throw std::logic_error("no input of a kind");
}

}  // namespace orv
