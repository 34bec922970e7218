#include "station/setup_choices.h"

#include "text/number_text.h"
#include "text/text_parse.h"

namespace orv {

std::string OffsetFieldText(double hours) { return FixedText(hours, 3, 1); }

SetupChoices FillSetupChoices(const StationState& station, const Clock& clock, const SetupChoices& previous) {
    const auto& s = station.settings;
    SetupChoices c = previous;
    c.portItem = s.comPort - 1;
    c.directoryField = " " + station.workingDataDirectory;
    c.modemItem = s.modemType == ModemType::Bytes512 ? 0 : s.modemType == ModemType::Bytes514 ? 1 : 2;
    c.autoTime = s.utcRule.autoTime;
    c.manualTime = !s.utcRule.autoTime;
    if (c.manualTime) c.offsetText = OffsetFieldText(UtcOffsetHours(s.utcRule, clock));
    c.logFec = s.logFec;
    c.logOnStartItem = s.logOnStart ? 1 : 0;
    c.bootItem = s.bootServer ? 1 : 0;
    for (int i = 0; i < static_cast<int>(std::size(kBaudRates)); ++i)
        if (kBaudRates[i] == s.baudRate) c.baudItem = i;
    return c;
}

std::optional<std::string> SaveSetupChoices(SetupChoices c, KeyValueStore& store, StationState& station, const Clock& clock) {
    // The offset is checked before anything is written, so a bad offset leaves the store as it was.
    double offset = 0;
    if (!c.autoTime && !ParseDecimalNumber(c.offsetText, offset))
        return "'" + c.offsetText + "' is not a valid floating point value";

    auto& s = station.settings;
    auto write = [&](std::string_view name, const std::string& value) { store.Write(kStartupKey, name, value); };

    s.dataDirectory = std::string(TrimSpaces(c.directoryField));
    station.workingDataDirectory = s.dataDirectory;
    write("Default Directory", s.dataDirectory);

    s.comPort = c.portItem + 1;
    write("Com Port No.", std::to_string(s.comPort));
    if (c.serialDevice) {
        s.serialDevice = std::string(TrimSpaces(*c.serialDevice));
        write("Serial Device", s.serialDevice);
    }

    if (c.baudItem < 0) c.baudItem = 0;
    s.baudRate = kBaudRates[c.baudItem];
    write("Baud Rate", std::to_string(s.baudRate));

    if (c.modemItem >= 0 && c.modemItem <= 2) {
        const ModemType m = c.modemItem == 0 ? ModemType::Bytes512 : c.modemItem == 1 ? ModemType::Bytes514 : ModemType::Adc;
        station.SetModemType(m);
        write("Modem Type", ModemTypeText(m));
    }

    if (c.autoTime) {
        s.utcRule.autoTime = true;
        write("Auto Time", "true");
        s.utcRule.timeOffHours = static_cast<float>(SystemUtcOffsetHours(clock));
    } else {
        s.utcRule.autoTime = false;
        write("Auto Time", "false");
        write("TimeOff", c.offsetText);
        s.utcRule.timeOffHours = static_cast<float>(offset);
    }

    s.logFec = c.logFec;
    write("Log FEC", c.logFec ? "true" : "false");

    s.logOnStart = c.logOnStartItem != 0;
    write("Log on Start", s.logOnStart ? "yes" : "no");

    s.bootServer = c.bootItem != 0;
    write("Boot Server", s.bootServer ? "1" : "0");
    return std::nullopt;
}

}  // namespace orv
