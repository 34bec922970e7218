#include "reception/startup_settings.h"

namespace orv {

std::string ModemTypeText(ModemType m) {
    switch (m) {
        case ModemType::Bytes512: return "512";
        case ModemType::Bytes514: return "514";
        case ModemType::Adc: return "ADC";
        case ModemType::Audio: return "Audio";
        case ModemType::Sdr: return "SDR";
    }
    return "514";
}

StartupSettings ReadStartupSettings(const KeyValueStore& store) {
    StartupSettings s;
    auto read = [&](std::string_view name) { return store.Read(kStartupKey, name); };

    const std::string logOnStart = read("Log on Start");
    s.logOnStart = logOnStart == "yes";
    if (logOnStart.empty()) s.firstRun = true;

    const std::string modem = read("Modem Type");
    if (modem == "512") {
        s.modemType = ModemType::Bytes512;
    } else if (modem == "514") {
        s.modemType = ModemType::Bytes514;
    } else {
        // "Log FEC" is read only when the modem type is neither "512" nor "514".
        s.modemType = modem == "ADC"     ? ModemType::Adc
                      : modem == "Audio" ? ModemType::Audio
                      : modem == "SDR"   ? ModemType::Sdr
                                         : ModemType::Bytes514;
        s.logFec = read("Log FEC") == "true";
    }

    const std::string port = read("Com Port No.");
    long long number = 0;
    if (port.empty()) s.firstRun = true;
    else if (ParseWholeNumber(port, number) && number >= 0 && number <= 255) s.comPort = static_cast<int>(number);

    if (ParseWholeNumber(read("Baud Rate"), number) && number > 0 && number <= 10000000) s.baudRate = static_cast<int>(number);

    s.utcRule.autoTime = read("Auto Time") != "false";
    if (!s.utcRule.autoTime) {
        double hours = 0;
        if (ParseDecimalNumber(read("TimeOff"), hours) && hours >= -24 && hours <= 24)
            s.utcRule.timeOffHours = static_cast<float>(hours);
    }

    s.dataDirectory = read("Default Directory");
    if (s.dataDirectory.empty()) s.firstRun = true;

    s.bootServer = read("Boot Server") == "1";

    const std::string events = read("Event Buffer Size");
    if (!events.empty() && ParseWholeNumber(events, number) && number > 0 && number <= 65536)
        s.eventBufferSize = static_cast<int>(number);

    s.serialDevice = read("Serial Device");
    return s;
}

double SystemUtcOffsetHours(const Clock& clock) {
    return static_cast<double>(clock.LocalOffsetSeconds(clock.Now())) / 3600.0;
}

double UtcOffsetHours(const UtcRule& rule, const Clock& clock) {
    return rule.autoTime ? SystemUtcOffsetHours(clock) : rule.timeOffHours;
}

}  // namespace orv
