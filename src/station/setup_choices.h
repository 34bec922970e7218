#pragma once
// The Setup window's choices, how they are filled from the station and how "Save" stores them.
#include <optional>
#include <string>

#include "audio/audio_settings.h"
#include "iq/sdr_settings.h"
#include "reception/clock.h"
#include "reception/settings_store.h"
#include "reception/station_state.h"

namespace orv {

// The baud list in its order.
inline constexpr int kBaudRates[] = {1200, 2400, 4800, 9600, 14400, 19200, 38400, 57600};

// The audio input's controls, shown for the modem type "Audio".
struct AudioChoices {
    int sourceItem = 1;               // "Sound card", "UDP", "File"
    std::string deviceField;          // sound card name; empty: the system's default
    std::string portField = "7355";   // UDP port
    std::string fileField;            // audio file
    std::string centreField = "1500"; // centre frequency, Hz
    std::string rateField = "48000";  // sample rate of a UDP stream, Hz
    std::string searchField = "1000"; // search range either side of the centre, Hz
};

// The controls as the stored settings fill them.
AudioChoices AudioChoicesFrom(const AudioSettings& settings);

// The SDR input's controls, shown for the modem type "SDR".
struct SdrChoices {
    int sourceItem = 0;                          // "rtl_tcp", "SoapySDR"
    std::string addressField = "127.0.0.1:1234"; // the rtl_tcp server
    std::string deviceField = "driver=rtlsdr";   // SoapySDR device arguments
    std::string frequencyField = "0";            // the centre the SDR is tuned to, Hz
    std::string offsetField = "0";               // the beacon relative to the centre, Hz
    std::string rateField = "1024000";           // samples per second
    std::string gainField = "auto";              // dB or "auto"
    std::string ppmField = "0";                  // frequency correction
};

SdrChoices SdrChoicesFrom(const SdrSettings& settings);

// The state of the Setup window's controls; -1 is "nothing selected".
struct SetupChoices {
    int portItem = -1;            // "1".."12" as 0..11
    std::string directoryField;   // the "Default Directory" field
    int modemItem = -1;           // the inputs' Setup items: "512 byte", "514 byte", "ADC", "Audio"
    int baudItem = -1;            // index into kBaudRates
    int logOnStartItem = -1;      // "No", "Yes"
    int bootItem = -1;            // "Normal", "Server"
    bool logFec = false;
    bool autoTime = false;        // "Auto" checked
    bool manualTime = false;      // "Manual" checked
    std::string offsetText = "Edit1";
    // The serial device chosen or typed (off Windows): saved as "Serial Device"; nothing when the
    // operator left the device shown as it was.
    std::optional<std::string> serialDevice;
    AudioChoices audio;
    SdrChoices sdr;
};

// What Setup shows at the first run, before anything is stored: the items an untouched "Save"
// stores are selected ("Com Port" 1, "514 byte", 1200 baud, "Log On Start" "Yes", "TCP/IP Boot"
// "Server", "Auto"), and the audio fields hold their defaults.
SetupChoices FirstRunSetupChoices();

// The offset field's text for an offset in hours: one decimal (three significant digits).
std::string OffsetFieldText(double hours);

// Fills the choices from the station's settings, as "Setup" does; `previous` keeps the baud
// selection when the baud rate is not in the list.
SetupChoices FillSetupChoices(const StationState& station, const Clock& clock, const SetupChoices& previous);

// "Save": checks the UTC offset first and, when it is not a number (or neither "Auto" nor
// "Manual" is chosen), returns the message and writes nothing; with "Audio" chosen, the UDP port,
// the sample rate, the centre frequency and the search range are checked the same way, and with
// "SDR" its fields. Then the data directory is made ready (MakeDataDirectory: what is missing is
// created); when it cannot be used, its one message is returned and nothing is written. Otherwise
// writes every value in its order to "Startup" (the audio values only with "Audio", the SDR values
// only with "SDR"; "Com Port No." 1 when no port is chosen), applies them to the station (modem
// type at once) and returns nothing.
std::optional<std::string> SaveSetupChoices(SetupChoices choices, KeyValueStore& store, StationState& station,
                                            const Clock& clock);

}  // namespace orv
