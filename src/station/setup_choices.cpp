#include "station/setup_choices.h"

#include <iterator>

#include "audio/audio_source.h"
#include "audio/audio_demodulator.h"
#include "inputs/input_table.h"
#include "reception/data_directory.h"
#include "text/number_text.h"
#include "text/text_parse.h"

namespace orv {

std::string OffsetFieldText(double hours) { return FixedText(hours, 3, 1); }

namespace {

// The Setup item of the audio input, whose controls come with it.
bool AudioItem(int item) {
    const InputRow* row = InputForSetupItem(item);
    return row != nullptr && row->kind == InputKind::Audio;
}

// The Setup item of the SDR input, whose controls come with it.
bool SdrItem(int item) {
    const InputRow* row = InputForSetupItem(item);
    return row != nullptr && row->kind == InputKind::Iq;
}

constexpr SdrSourceKind kSdrSourceItems[] = {SdrSourceKind::RtlTcp, SdrSourceKind::Soapy};

// The SDR controls as settings, or the message for the first field that is not usable.
std::optional<std::string> ReadSdrChoices(const SdrChoices& c, SdrSettings& s) {
    if (c.sourceItem >= 0 && c.sourceItem < static_cast<int>(std::size(kSdrSourceItems))) s.source = kSdrSourceItems[c.sourceItem];
    s.address = std::string(TrimSpaces(c.addressField));
    s.device = std::string(TrimSpaces(c.deviceField));
    auto hertz = [](const std::string& field, double low, double high, const char* what, double& value) -> std::optional<std::string> {
        const std::string text(TrimSpaces(field));
        const auto hz = ParseHertz(text, low, high);
        if (!hz) return "'" + text + "' is not " + what;
        value = *hz;
        return std::nullopt;
    };
    if (auto problem = hertz(c.frequencyField, 1, 1e12, "the frequency the SDR is tuned to, in Hz", s.frequencyHz)) return problem;
    if (auto problem = hertz(c.offsetField, -1e8, 1e8, "an offset in Hz", s.offsetHz)) return problem;
    if (auto problem = hertz(c.rateField, 1, 1e9, "a sample rate in Hz", s.rate)) return problem;
    const std::string gain(TrimSpaces(c.gainField));
    if (!ParseSdrGain(gain, s.gainDb)) return "'" + gain + "' is not auto or a gain in dB (0 to 100)";
    const std::string ppm(TrimSpaces(c.ppmField));
    const auto correction = ParsePpm(ppm);
    if (!correction) return "'" + ppm + "' is not a correction in ppm (-1000 to 1000)";
    s.ppm = *correction;
    return std::nullopt;
}

// The Setup item of a modem type, -1 when Setup does not offer it.
int SetupItemOf(ModemType modem) {
    for (int item = 0; const InputRow* row = InputForSetupItem(item); ++item)
        if (row->modem == modem) return item;
    return -1;
}
constexpr AudioSourceKind kAudioSourceItems[] = {AudioSourceKind::Device, AudioSourceKind::Udp, AudioSourceKind::File};


// The audio controls as settings, or the message for the first field that is not usable.
std::optional<std::string> ReadAudioChoices(const AudioChoices& c, AudioSettings& s) {
    if (c.sourceItem >= 0 && c.sourceItem < static_cast<int>(std::size(kAudioSourceItems)))
        s.source = kAudioSourceItems[c.sourceItem];
    s.device = std::string(TrimSpaces(c.deviceField));
    s.file = std::string(TrimSpaces(c.fileField));
    const std::string portText(TrimSpaces(c.portField));
    const auto port = ParseHertz(portText, 1, 65535);
    if (!port || *port != static_cast<double>(static_cast<int>(*port))) return "'" + portText + "' is not a UDP port (1 to 65535)";
    s.udpPort = static_cast<std::uint16_t>(*port);
    const std::string rateText(TrimSpaces(c.rateField));
    const auto rate = ParseHertz(rateText, kMinAudioRate, kMaxAudioRate);
    if (!rate) return "'" + rateText + "' is not a sample rate in Hz (8000 to 192000)";
    s.rate = *rate;
    const std::string centreText(TrimSpaces(c.centreField));
    const auto centre = ParseHertz(centreText, 100, 20000);
    if (!centre) return "'" + centreText + "' is not a centre frequency in Hz (100 to 20000)";
    s.centreHz = *centre;
    const std::string searchText(TrimSpaces(c.searchField));
    const auto search = ParseHertz(searchText, 0, AudioDemodulator::kMaxSearchHz);
    if (!search) return "'" + searchText + "' is not a search range in Hz (0 to 1500)";
    s.searchHz = *search;
    if (s.source == AudioSourceKind::File && s.file.empty()) return "Choose the audio file to decode";
    return std::nullopt;
}

}  // namespace

AudioChoices AudioChoicesFrom(const AudioSettings& s) {
    AudioChoices c;
    for (int i = 0; i < static_cast<int>(std::size(kAudioSourceItems)); ++i)
        if (kAudioSourceItems[i] == s.source) c.sourceItem = i;
    c.deviceField = s.device;
    c.portField = std::to_string(s.udpPort);
    c.fileField = s.file;
    c.centreField = PlainNumberText(s.centreHz);
    c.rateField = PlainNumberText(s.rate);
    c.searchField = PlainNumberText(s.searchHz);
    return c;
}

SetupChoices FirstRunSetupChoices() {
    SetupChoices c;
    c.portItem = 0;
    c.modemItem = SetupItemOf(ModemType::Bytes514);
    c.baudItem = 0;
    c.logOnStartItem = 1;
    c.bootItem = 1;
    c.autoTime = true;
    return c;
}

SdrChoices SdrChoicesFrom(const SdrSettings& s) {
    SdrChoices c;
    for (int i = 0; i < static_cast<int>(std::size(kSdrSourceItems)); ++i)
        if (kSdrSourceItems[i] == s.source) c.sourceItem = i;
    c.addressField = s.address;
    c.deviceField = s.device;
    c.frequencyField = PlainNumberText(s.frequencyHz);
    c.offsetField = PlainNumberText(s.offsetHz);
    c.rateField = PlainNumberText(s.rate);
    c.gainField = SdrGainText(s.gainDb);
    c.ppmField = std::to_string(s.ppm);
    return c;
}

SetupChoices FillSetupChoices(const StationState& station, const Clock& clock, const SetupChoices& previous) {
    const auto& s = station.settings;
    SetupChoices c = previous;
    c.portItem = s.comPort - 1;
    c.directoryField = " " + station.workingDataDirectory;
    c.modemItem = SetupItemOf(s.modemType);
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
    if (!c.autoTime && !c.manualTime) return "Choose the UTC offset: \"Auto\" or \"Manual\"";
    if (!c.autoTime && !ParseDecimalNumber(c.offsetText, offset))
        return "'" + c.offsetText + "' is not a valid floating point value";
    AudioSettings audio = ReadAudioSettings(store);
    if (AudioItem(c.modemItem))
        if (auto problem = ReadAudioChoices(c.audio, audio)) return problem;
    SdrSettings sdr = ReadSdrSettings(store);
    if (SdrItem(c.modemItem))
        if (auto problem = ReadSdrChoices(c.sdr, sdr)) return problem;
    // A data directory that cannot be used is said now, once, rather than by every block logged.
    const std::string directory(TrimSpaces(c.directoryField));
    if (auto problem = MakeDataDirectory(directory)) return problem;

    auto& s = station.settings;
    auto write = [&](std::string_view name, const std::string& value) { store.Write(kStartupKey, name, value); };

    s.dataDirectory = directory;
    station.workingDataDirectory = s.dataDirectory;
    write("Default Directory", s.dataDirectory);

    // No port chosen is the first, as the baud rate below: "Com Port No." is never 0.
    if (c.portItem < 0) c.portItem = 0;
    s.comPort = c.portItem + 1;
    write("Com Port No.", std::to_string(s.comPort));
    if (c.serialDevice) {
        s.serialDevice = std::string(TrimSpaces(*c.serialDevice));
        write("Serial Device", s.serialDevice);
    }

    if (c.baudItem < 0) c.baudItem = 0;
    s.baudRate = kBaudRates[c.baudItem];
    write("Baud Rate", std::to_string(s.baudRate));

    if (const InputRow* row = InputForSetupItem(c.modemItem); row != nullptr && row->modem) {
        station.SetModemType(*row->modem);
        write("Modem Type", ModemTypeText(*row->modem));
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

    if (AudioItem(c.modemItem)) WriteAudioSettings(store, audio);
    if (SdrItem(c.modemItem)) WriteSdrSettings(store, sdr);
    return std::nullopt;
}

}  // namespace orv
