#include "iq/sdr_settings.h"

#include <cmath>

#include "audio/audio_settings.h"
#include "text/number_text.h"

namespace orv {

std::string SdrSourceText(SdrSourceKind kind) {
    switch (kind) {
        case SdrSourceKind::RtlTcp: return "rtl_tcp";
        case SdrSourceKind::Soapy: return "SoapySDR";
        case SdrSourceKind::File: return "file";
    }
    return "rtl_tcp";
}

bool ParseSdrGain(const std::string& text, std::optional<double>& gainDb) {
    if (text == "auto") {
        gainDb.reset();
        return true;
    }
    const auto db = ParseHertz(text, 0.0, 100.0);
    if (!db) return false;
    gainDb = *db;
    return true;
}

std::string SdrGainText(const std::optional<double>& gainDb) { return gainDb ? PlainNumberText(*gainDb) : "auto"; }

std::optional<int> ParsePpm(const std::string& text) {
    const auto ppm = ParseHertz(text, -1000.0, 1000.0);
    if (!ppm || *ppm != std::floor(*ppm)) return std::nullopt;
    return static_cast<int>(*ppm);
}


SdrSettings ReadSdrSettings(const KeyValueStore& store) {
    SdrSettings s;
    auto read = [&](std::string_view name) { return store.Read(kStartupKey, name); };
    const std::string source = read("SDR Source");
    if (source == SdrSourceText(SdrSourceKind::Soapy)) s.source = SdrSourceKind::Soapy;
    if (const std::string address = read("SDR Address"); !address.empty()) s.address = address;
    if (const std::string device = read("SDR Device"); !device.empty()) s.device = device;
    if (const auto hz = ParseHertz(read("SDR Frequency"), 0.0, 1e12)) s.frequencyHz = *hz;
    if (const auto hz = ParseHertz(read("SDR Offset"), -1e8, 1e8)) s.offsetHz = *hz;
    if (const auto hz = ParseHertz(read("SDR Rate"), 1.0, 1e9)) s.rate = *hz;
    std::optional<double> gain;
    if (ParseSdrGain(read("SDR Gain"), gain)) s.gainDb = gain;
    if (const auto ppm = ParsePpm(read("SDR PPM"))) s.ppm = *ppm;
    return s;
}

void WriteSdrSettings(KeyValueStore& store, const SdrSettings& s) {
    auto write = [&](std::string_view name, const std::string& value) { store.Write(kStartupKey, name, value); };
    write("SDR Source", SdrSourceText(s.source == SdrSourceKind::Soapy ? SdrSourceKind::Soapy : SdrSourceKind::RtlTcp));
    write("SDR Address", s.address);
    write("SDR Device", s.device);
    write("SDR Frequency", PlainNumberText(s.frequencyHz));
    write("SDR Offset", PlainNumberText(s.offsetHz));
    write("SDR Rate", PlainNumberText(s.rate));
    write("SDR Gain", SdrGainText(s.gainDb));
    write("SDR PPM", std::to_string(s.ppm));
}

}  // namespace orv
