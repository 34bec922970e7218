#pragma once
// Where the station's audio comes from with modem type "Audio", and where the carrier is expected.
// Stored under "Startup" beside the other start-up values, one value name per item.
#include <cstdint>
#include <optional>
#include <string>

#include "reception/settings_store.h"

namespace orv {

enum class AudioSourceKind { Device, Udp, File, Stdin };

struct AudioSettings {
    AudioSourceKind source = AudioSourceKind::Udp;
    std::string device;             // "Audio Device": sound card name; empty: the system's default
    std::uint16_t udpPort = 7355;   // "Audio UDP Port"
    double rate = 48000.0;          // "Audio Rate": Hz of raw samples (UDP, standard input)
    std::string file;               // "Audio File"
    double centreHz = 1500.0;       // "Audio Centre": audio frequency of the carrier, Hz
    double searchHz = 1000.0;       // "Audio Search": the carrier is sought this far either side, Hz
};

// Missing or unreadable values keep the defaults above; standard input is never stored.
AudioSettings ReadAudioSettings(const KeyValueStore& store);
void WriteAudioSettings(KeyValueStore& store, const AudioSettings& settings);

// Stored form and reading of the source: "Device", "UDP", "File", "stdin".
std::string AudioSourceText(AudioSourceKind kind);
std::optional<AudioSourceKind> AudioSourceFromText(const std::string& text);

// A frequency in Hz such as "1500" or "1512.5" within low..high; nothing otherwise.
std::optional<double> ParseHertz(const std::string& text, double low, double high);

}  // namespace orv
