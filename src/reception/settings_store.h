#pragma once
// The per-user settings store: string values under subkeys of "Software\Wexley Programs\Orv\".
// The core reads and writes through KeyValueStore; the Qt adapter (qt_settings_store.h) keeps
// it in the registry on Windows and in an INI file elsewhere.
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace orv {

// Subkeys under the root key.
inline constexpr std::string_view kStartupKey = "Startup";
inline constexpr std::string_view kFormPositionsKey = "Form Positions";
inline constexpr std::string_view kMonitorKey = "Monitor";
inline constexpr std::string_view kExportKey = "Export";

class KeyValueStore {
public:
    virtual ~KeyValueStore() = default;
    // An absent value reads as an empty string.
    virtual std::string Read(std::string_view key, std::string_view name) const = 0;
    virtual void Write(std::string_view key, std::string_view name, std::string_view value) = 0;
};

// A store held in memory; for tests and throw-away runs.
class MemoryStore final : public KeyValueStore {
public:
    std::string Read(std::string_view key, std::string_view name) const override;
    void Write(std::string_view key, std::string_view name, std::string_view value) override;
    bool Has(std::string_view key, std::string_view name) const;
    const std::map<std::pair<std::string, std::string>, std::string>& Values() const { return values_; }

private:
    std::map<std::pair<std::string, std::string>, std::string> values_;
};

// A window position in pixels.
struct FormPosition {
    int top = 0;
    int left = 0;
};

// Reads "FormN.Top"/"FormN.Left" (twips) as pixels; a value that is absent or not a whole
// number gives the default, which is itself in twips (as the values are stored).
FormPosition ReadFormPosition(const KeyValueStore& store, int formNumber, int defaultTopTwips, int defaultLeftTwips);
// The stored position in pixels, or nothing when either value is absent or not a whole number.
std::optional<FormPosition> ReadStoredFormPosition(const KeyValueStore& store, int formNumber);

// Writes the position as twips (pixels x 15) in "%02d" form.
void WriteFormPosition(KeyValueStore& store, int formNumber, FormPosition pixels);

// "%02d" of an integer: at least two digits ("00", "45", "-15").
std::string TwoDigitText(int value);

// Reads a whole decimal number (surrounding spaces allowed); false for anything else.
bool ParseWholeNumber(std::string_view text, long long& value);

// Reads a decimal number with "." as separator (surrounding spaces allowed); false otherwise.
bool ParseDecimalNumber(std::string_view text, double& value);

}  // namespace orv
