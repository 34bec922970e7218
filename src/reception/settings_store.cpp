#include "reception/settings_store.h"

#include "text/text_parse.h"

#include <cctype>
#include <charconv>
#include <cstdio>

namespace orv {

std::string MemoryStore::Read(std::string_view key, std::string_view name) const {
    auto it = values_.find({std::string(key), std::string(name)});
    return it == values_.end() ? std::string() : it->second;
}

void MemoryStore::Write(std::string_view key, std::string_view name, std::string_view value) {
    values_[{std::string(key), std::string(name)}] = std::string(value);
}

bool MemoryStore::Has(std::string_view key, std::string_view name) const {
    return values_.count({std::string(key), std::string(name)}) != 0;
}

namespace {

std::string FormValueName(int formNumber, const char* which) {
    return "Form" + std::to_string(formNumber) + which;
}

int PixelsFromTwips(const KeyValueStore& store, int formNumber, const char* which, int defaultTwips) {
    long long twips = 0;
    if (!ParseWholeNumber(store.Read(kFormPositionsKey, FormValueName(formNumber, which)), twips) ||
        twips < -1000000000LL || twips > 1000000000LL)
        twips = defaultTwips;
    return static_cast<int>(twips / 15);
}

}  // namespace

bool ParseWholeNumber(std::string_view text, long long& value) {
    text = TrimSpaces(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return false;
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && ptr == text.data() + text.size();
}

bool ParseDecimalNumber(std::string_view text, double& value) {
    text = TrimSpaces(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return false;
    // Only digits, one ".", a leading "-" and an exponent are numbers here; "nan" and "inf" are not.
    for (char c : text)
        if (!std::isdigit(static_cast<unsigned char>(c)) && c != '.' && c != '-' && c != 'e' && c != 'E' && c != '+')
            return false;
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && ptr == text.data() + text.size();
}

std::string TwoDigitText(int value) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d", value);
    return buf;
}

FormPosition ReadFormPosition(const KeyValueStore& store, int formNumber, int defaultTopTwips, int defaultLeftTwips) {
    return {PixelsFromTwips(store, formNumber, ".Top", defaultTopTwips),
            PixelsFromTwips(store, formNumber, ".Left", defaultLeftTwips)};
}

std::optional<FormPosition> ReadStoredFormPosition(const KeyValueStore& store, int formNumber) {
    long long top = 0;
    long long left = 0;
    if (!ParseWholeNumber(store.Read(kFormPositionsKey, FormValueName(formNumber, ".Top")), top) ||
        !ParseWholeNumber(store.Read(kFormPositionsKey, FormValueName(formNumber, ".Left")), left) ||
        top < -1000000000LL || top > 1000000000LL || left < -1000000000LL || left > 1000000000LL)
        return std::nullopt;
    return FormPosition{static_cast<int>(top / 15), static_cast<int>(left / 15)};
}

void WriteFormPosition(KeyValueStore& store, int formNumber, FormPosition pixels) {
    store.Write(kFormPositionsKey, FormValueName(formNumber, ".Top"), TwoDigitText(pixels.top * 15));
    store.Write(kFormPositionsKey, FormValueName(formNumber, ".Left"), TwoDigitText(pixels.left * 15));
}

}  // namespace orv
