// The settings as stored (every value an arbitrary text) and the address and number fields as
// typed.
#include <string>
#include <vector>

#include "files/telemetry_number.h"
#include "fuzz_input.h"
#include "reception/settings_store.h"
#include "reception/startup_settings.h"
#include "tools/address_field.h"
#include "tools/monitor.h"

namespace {

// A store whose every value is the next line of the input (empty once it is used up).
class FuzzStore final : public orv::KeyValueStore {
public:
    explicit FuzzStore(orv::fuzz::FuzzInput& in) : in_(in) {}
    std::string Read(std::string_view, std::string_view) const override { return std::string(in_.Line()); }
    void Write(std::string_view, std::string_view, std::string_view) override {}

private:
    orv::fuzz::FuzzInput& in_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    orv::fuzz::FuzzInput in(data, size);
    const std::string text(in.Line());
    long long whole = 0;
    double decimal = 0;
    orv::ParseWholeNumber(text, whole);
    orv::ParseDecimalNumber(text, decimal);
    orv::ParseTelemetryNumber(text);
    orv::ParseBlockNumber(text);
    orv::ParseAddressText(text);
    for (char key : text.substr(0, 16)) {
        orv::MaskKey(key, text);
        orv::FilterAddressKey(text, key);
    }
    FuzzStore store(in);
    orv::ReadStartupSettings(store);
    orv::ReadFormPosition(store, 1, 100, 100);
    orv::ReadMonitorAddresses(store);
    return 0;
}
