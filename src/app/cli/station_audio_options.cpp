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
    // --search belongs to the SDR input when there is one.
    const bool sdrInput = a.Value("--rtl-tcp") || a.Value("--sdr") || a.Value("--iq-file");
    const auto search = sdrInput ? std::nullopt : a.Value("--search");
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

bool TakeStationSdrOptions(const CliArgs& a, std::optional<SdrSettings>& sdr, std::string& error) {
    const auto rtlTcp = a.Value("--rtl-tcp");
    const auto device = a.Value("--sdr");
    const auto file = a.Value("--iq-file");
    const auto frequency = a.Value("--frequency");
    const auto offset = a.Value("--offset");
    const auto search = a.Value("--search");
    const auto rate = a.Value("--sdr-rate");
    const auto gain = a.Value("--gain");
    const auto ppm = a.Value("--ppm");
    const int sources = (rtlTcp ? 1 : 0) + (device ? 1 : 0) + (file ? 1 : 0);
    if (sources == 0) {
        // Without an SDR input, --search is the audio input's.
        if (frequency || offset || rate || gain || ppm)
            error = "--frequency, --offset, --search, --sdr-rate, --gain and --ppm belong to an SDR input (--rtl-tcp, --sdr, --iq-file)";
        return error.empty();
    }
    if (sources > 1) {
        error = "give one SDR input: --rtl-tcp, --sdr or --iq-file";
        return false;
    }
    SdrSettings s;
    if (rtlTcp) {
        s.source = SdrSourceKind::RtlTcp;
        s.address = *rtlTcp;
    } else if (device) {
        s.source = SdrSourceKind::Soapy;
        s.device = *device;
    } else {
        s.source = SdrSourceKind::File;
        s.file = *file;
    }
    auto hertz = [&](const std::optional<std::string>& text, const char* option, double low, double high, double& value) {
        if (!text) return true;
        const auto hz = ParseHertz(*text, low, high);
        if (!hz) {
            error = std::string(option) + " \"" + *text + "\" is not a frequency in Hz";
            return false;
        }
        value = *hz;
        return true;
    };
    if (!hertz(frequency, "--frequency", 1.0, 1e12, s.frequencyHz) || !hertz(offset, "--offset", -1e8, 1e8, s.offsetHz) ||
        !hertz(search, "--search", 0.0, 1e8, s.searchHz))
        return false;
    if (!frequency && !file) {
        error = "an SDR needs --frequency HZ, the centre it is tuned to";
        return false;
    }
    if (rate) {
        const auto hz = ParseHertz(*rate, 1.0, 1e9);
        if (!hz) {
            error = "--sdr-rate \"" + *rate + "\" is not a sample rate in Hz";
            return false;
        }
        s.rate = *hz;
    }
    if (gain && !ParseSdrGain(*gain, s.gainDb)) {
        error = "--gain \"" + *gain + "\" is not auto or a gain in dB (0..100)";
        return false;
    }
    if (ppm) {
        const auto value = ParsePpm(*ppm);
        if (!value) {
            error = "--ppm \"" + *ppm + "\" is not a whole number -1000..1000";
            return false;
        }
        s.ppm = *value;
    }
    sdr = s;
    return true;
}

}  // namespace orv::cli
