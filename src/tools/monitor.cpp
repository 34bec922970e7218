#include "tools/monitor.h"

#include <cctype>
#include <cstdio>

#include "tools/address_field.h"

namespace orv {

bool MonitorFormat::ShowsSigned() const {
    return base_ == MonitorBase::Dec && width_ == MonitorWidth::Word && signedChecked_;
}

void MonitorFormat::SelectDec() {
    base_ = MonitorBase::Dec;
    wordEnabled_ = true;
    if (width_ == MonitorWidth::Word) signedEnabled_ = true;
}

void MonitorFormat::SelectHex() {
    base_ = MonitorBase::Hex;
    wordEnabled_ = true;
    signedEnabled_ = false;
}

void MonitorFormat::SelectBin() {
    base_ = MonitorBase::Bin;
    SelectByte();
    wordEnabled_ = false;
}

void MonitorFormat::SelectWord() {
    if (!wordEnabled_) return;
    width_ = MonitorWidth::Word;
    if (base_ == MonitorBase::Dec) signedEnabled_ = true;
}

void MonitorFormat::SelectByte() {
    width_ = MonitorWidth::Byte;
    signedChecked_ = false;
    signedEnabled_ = false;
}

void MonitorFormat::SetSigned(bool checked) {
    if (signedEnabled_) signedChecked_ = checked;
}

namespace {

std::string Normalised(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    const std::size_t last = text.find_last_not_of(' ');
    std::string t(text.substr(first, last - first + 1));
    for (char& c : t) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return t;
}

std::string Printed(const char* format, long value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

std::string AddressValueName(std::size_t i) { return "Address #" + std::to_string(i + 1); }

std::string BinaryText(std::uint8_t v) {
    std::string bits(8, '0');
    for (int i = 0; i < 8; ++i)
        if (v & (0x80 >> i)) bits[static_cast<std::size_t>(i)] = '1';
    return bits;
}

}  // namespace

std::string MonitorValueText(std::string_view addressText, const MonitorFormat& format, const Block514& display) {
    const long long address = ParseAddressText(Normalised(addressText)).value_or(0);
    if (address < 0 || address > 511) return " --- ";
    const auto a = static_cast<std::size_t>(address);
    if (format.Base() == MonitorBase::Bin) return BinaryText(display[a]);
    const bool word = format.Width() == MonitorWidth::Word;
    const long v = word ? display[a] + 256L * display[a + 1] : display[a];
    if (format.Base() == MonitorBase::Hex) return Printed(word ? "#%04lX" : "#%02lX", v);
    if (format.ShowsSigned() && v > 32767) return Printed("%ld", v - 65536);
    return Printed(word ? "%4ld" : "%2ld", v);
}

void MonitorUpdate(const MonitorFields& addresses, const MonitorFormat& format, const Block514& display,
                   MonitorFields& values) {
    for (std::size_t i = 0; i < kMonitorFields; ++i)
        if (!addresses[i].empty()) values[i] = MonitorValueText(addresses[i], format, display);
}

MonitorFields ReadMonitorAddresses(const KeyValueStore& store) {
    MonitorFields fields;
    for (std::size_t i = 0; i < kMonitorFields; ++i) fields[i] = store.Read(kMonitorKey, AddressValueName(i));
    return fields;
}

void WriteMonitorAddresses(KeyValueStore& store, const MonitorFields& addresses) {
    for (std::size_t i = 0; i < kMonitorFields; ++i) store.Write(kMonitorKey, AddressValueName(i), addresses[i]);
}

}  // namespace orv
