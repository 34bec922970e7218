#pragma once
// The "Startup" settings, read once at start-up into one record.
#include <string>

#include "reception/dates.h"
#include "reception/settings_store.h"

namespace orv {

// Audio: the ADC path fed by the software audio demodulator instead of a DSP-93; Sdr: the same
// demodulator fed by the IQ receiver from an SDR.
enum class ModemType { Bytes512, Bytes514, Adc, Audio, Sdr };

// Block length the receiver works with: 512 for "512", 514 for the others.
inline int BlockLength(ModemType m) { return m == ModemType::Bytes512 ? 512 : 514; }

struct StartupSettings {
    bool logOnStart = false;
    ModemType modemType = ModemType::Bytes514;
    bool logFec = false;
    int comPort = 0;
    int baudRate = 1200;
    UtcRule utcRule;                  // "Auto Time" and "TimeOff"
    std::string dataDirectory;        // "Default Directory" as read
    bool bootServer = false;
    int eventBufferSize = 16;
    std::string serialDevice;         // "Serial Device": device path overriding the port number
    bool firstRun = false;            // "Log on Start", "Com Port No." or "Default Directory" was empty
};

// Reads the "Startup" values in the order the main window reads them at start-up.
StartupSettings ReadStartupSettings(const KeyValueStore& store);

// Stored forms.
std::string ModemTypeText(ModemType m);  // "512", "514", "ADC", "Audio", "SDR"

// Operating-system UTC offset in hours, as the Setup shows it with automatic time.
double SystemUtcOffsetHours(const Clock& clock);

// UTC offset in hours the station applies under its rule.
double UtcOffsetHours(const UtcRule& rule, const Clock& clock);

}  // namespace orv
