#include "audio/audio_settings.h"

#include <cmath>
#include <stdexcept>

#include "audio/audio_demodulator.h"
#include "audio/audio_source.h"
#include "text/number_text.h"

namespace orv {

std::string AudioSourceText(AudioSourceKind kind) {
    switch (kind) {
        case AudioSourceKind::Device: return "Device";
        case AudioSourceKind::Udp: return "UDP";
        case AudioSourceKind::File: return "File";
        case AudioSourceKind::Stdin: return "stdin";
    }
    return "UDP";
}

std::optional<AudioSourceKind> AudioSourceFromText(const std::string& text) {
    for (AudioSourceKind k : {AudioSourceKind::Device, AudioSourceKind::Udp, AudioSourceKind::File, AudioSourceKind::Stdin})
        if (text == AudioSourceText(k)) return k;
    return std::nullopt;
}

std::optional<double> ParseHertz(const std::string& text, double low, double high) {
    std::size_t used = 0;
    double value = 0.0;
    try {
        value = std::stod(text, &used);
    } catch (const std::exception&) {
        return std::nullopt;
    }
    if (used != text.size() || !std::isfinite(value) || value < low || value > high) return std::nullopt;
    return value;
}

AudioSettings ReadAudioSettings(const KeyValueStore& store) {
    AudioSettings s;
    auto read = [&](std::string_view name) { return store.Read(kStartupKey, name); };
    if (const auto kind = AudioSourceFromText(read("Audio Source")); kind && *kind != AudioSourceKind::Stdin) s.source = *kind;
    s.device = read("Audio Device");
    if (const auto port = ParseHertz(read("Audio UDP Port"), 1, 65535); port && *port == std::floor(*port))
        s.udpPort = static_cast<std::uint16_t>(*port);
    if (const auto rate = ParseHertz(read("Audio Rate"), kMinAudioRate, kMaxAudioRate)) s.rate = *rate;
    s.file = read("Audio File");
    if (const auto centre = ParseHertz(read("Audio Centre"), 1, 96000)) s.centreHz = *centre;
    if (const auto search = ParseHertz(read("Audio Search"), 0, AudioDemodulator::kMaxSearchHz)) s.searchHz = *search;
    return s;
}

void WriteAudioSettings(KeyValueStore& store, const AudioSettings& s) {
    auto write = [&](std::string_view name, const std::string& value) { store.Write(kStartupKey, name, value); };
    write("Audio Source", AudioSourceText(s.source == AudioSourceKind::Stdin ? AudioSourceKind::Udp : s.source));
    write("Audio Device", s.device);
    write("Audio UDP Port", std::to_string(s.udpPort));
    write("Audio Rate", PlainNumberText(s.rate));
    write("Audio File", s.file);
    write("Audio Centre", PlainNumberText(s.centreHz));
    write("Audio Search", PlainNumberText(s.searchHz));
}

}  // namespace orv
