#include "app/cli/station_audio_options.h"

#include "audio/audio_demodulator.h"
#include "audio/audio_source.h"

namespace orv::cli {

bool TakeStationAudioOptions(const CliArgs& a, std::optional<AudioSettings>& audio, std::string& error) {
    const auto file = a.Value("--audio-file");
    const auto udp = a.Value("--audio-udp");
    const bool stdinInput = a.Has("--audio-stdin");
    const auto device = a.Value("--audio-device");
    const auto rate = a.Value("--rate");
    const auto centre = a.Value("--center");
    const auto search = a.Value("--search");
    const int sources = (file ? 1 : 0) + (udp ? 1 : 0) + (stdinInput ? 1 : 0) + (device ? 1 : 0);
    if (sources == 0) {
        if (rate || centre || search)
            error = "--rate, --center and --search belong to an audio input (--audio-file, --audio-udp, --audio-stdin, --audio-device)";
        return !rate && !centre && !search;
    }
    if (sources > 1) {
        error = "give one audio input: --audio-file, --audio-udp, --audio-stdin or --audio-device";
        return false;
    }
    AudioSettings s;
    if (file) {
        s.source = AudioSourceKind::File;
        s.file = *file;
        if (rate) error = "--rate is for raw audio (--audio-udp, --audio-stdin); a file gives its own rate";
    } else if (device) {
        s.source = AudioSourceKind::Device;
        s.device = *device;
        if (rate) error = "--rate is for raw audio (--audio-udp, --audio-stdin); a sound card gives its own rate";
    } else if (udp) {
        s.source = AudioSourceKind::Udp;
        const auto port = ParseHertz(*udp, 1, 65535);
        if (!port || *port != static_cast<double>(static_cast<int>(*port)))
            error = "--audio-udp \"" + *udp + "\" is not a port number 1..65535";
        else
            s.udpPort = static_cast<std::uint16_t>(*port);
    } else {
        s.source = AudioSourceKind::Stdin;
        if (!rate) error = "--audio-stdin needs --rate HZ: raw samples carry no rate";
    }
    if (!error.empty()) return false;
    if (rate) {
        const auto hz = ParseHertz(*rate, 0, 1e9);
        if (!hz) {
            error = "--rate \"" + *rate + "\" is not a sample rate in Hz";
            return false;
        }
        if (const std::string problem = AudioRateProblem(*hz); !problem.empty()) {
            error = problem;
            return false;
        }
        s.rate = *hz;
    }
    if (centre) {
        const auto hz = ParseHertz(*centre, 1, 96000);
        if (!hz) {
            error = "--center \"" + *centre + "\" is not a frequency in Hz";
            return false;
        }
        s.centreHz = *hz;
    }
    if (search) {
        const auto hz = ParseHertz(*search, 0, AudioDemodulator::kMaxSearchHz);
        if (!hz) {
            error = "--search \"" + *search + "\" is not a search range in Hz (0 to 1500)";
            return false;
        }
        s.searchHz = *hz;
    }
    audio = s;
    return true;
}

}  // namespace orv::cli
