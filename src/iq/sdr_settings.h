#pragma once
// Where the station's IQ comes from with modem type "SDR", and where the beacon is in it. Stored
// under "Startup" beside the other start-up values, one value name per item; a recording played
// with --iq-file is never stored.
#include <optional>
#include <string>

#include "reception/settings_store.h"

namespace orv {

enum class SdrSourceKind { RtlTcp, Soapy, File };

struct SdrSettings {
    SdrSourceKind source = SdrSourceKind::RtlTcp;  // "SDR Source": "rtl_tcp" or "SoapySDR"
    std::string address = "127.0.0.1:1234";        // "SDR Address": the rtl_tcp server, HOST:PORT
    std::string device = "driver=rtlsdr";          // "SDR Device": SoapySDR device arguments
    std::string file;                              // a recording played at the pace of the air
    double frequencyHz = 0.0;                      // "SDR Frequency": the centre the SDR is tuned to
    double offsetHz = 0.0;                         // "SDR Offset": the beacon relative to the centre
    double rate = 1024000.0;                       // "SDR Rate": complex samples per second
    std::optional<double> gainDb;                  // "SDR Gain": dB, or nothing for "auto"
    int ppm = 0;                                   // "SDR PPM": the tuner's frequency correction
    double searchHz = 5000.0;                      // the beacon is sought this far either side
};

// Missing or unreadable values keep the defaults above.
SdrSettings ReadSdrSettings(const KeyValueStore& store);
void WriteSdrSettings(KeyValueStore& store, const SdrSettings& settings);

// The stored and shown form of a source ("rtl_tcp", "SoapySDR", "file").
std::string SdrSourceText(SdrSourceKind kind);

// "auto" (nothing) or a gain in dB 0..100 such as "38.6"; false for anything else.
bool ParseSdrGain(const std::string& text, std::optional<double>& gainDb);
std::string SdrGainText(const std::optional<double>& gainDb);
// A correction in ppm, a whole number -1000..1000; nothing for anything else.
std::optional<int> ParsePpm(const std::string& text);

}  // namespace orv
