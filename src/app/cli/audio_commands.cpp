// orv-cli audio: a recording (or raw audio on stdin) through the software demodulator and the
// ADC path, block lines and logging as orv-cli adc.
#include <QStringList>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/cli/adc_decoding.h"
#include "app/cli/cli_args.h"
#include "app/cli/command.h"
#include "audio/audio_demodulator.h"
#include "audio/audio_settings.h"
#include "audio/raw_audio_reader.h"
#include "audio/sound_file_reader.h"
#include "inputs/sound_card_input.h"

namespace orv::cli {
namespace {

// A positive number of hertz such as 1500 or 1512.5; nothing on anything else. Whether the
// demodulator can use it is its own check, with its own message.
std::optional<double> ParseHz(const std::string& text) {
    return ParseHertz(text, std::numeric_limits<double>::denorm_min(), std::numeric_limits<double>::infinity());
}

// The sound card inputs, one name a line, as --audio-device takes them.
int ListDevices() {
    const QStringList names = SoundCardInput::DeviceNames();
    for (const QString& name : names) std::printf("%s\n", name.toUtf8().constData());
    if (names.isEmpty()) std::cerr << "orv-cli audio: no sound card inputs found\n";
    return 0;
}

int RunAudio(const CliArgs& a, int, char**) {
    const std::string cmd = "audio";
    if (a.Has("--list-devices")) return ListDevices();
    const auto logPath = a.Value("--log");
    const auto fecLogDir = a.Value("--fec-log-dir");
    const auto centreText = a.Value("--center");
    const auto searchText = a.Value("--search");
    const auto rateText = a.Value("--rate");
    const auto samplesOut = a.Value("--samples-out");
    if (a.Rest().size() != 1) return UsageError(cmd, "give one recording (or - for raw audio on standard input)");
    if (!logPath) return UsageError(cmd, "--log OUT is required");
    // Standard output carries the block lines (or the log): the samples need a file of their own.
    if (samplesOut == "-") return UsageError(cmd, "--samples-out needs a file; standard output carries the blocks");
    const std::string input = a.Rest()[0];
    const bool raw = input == "-";
    if (raw != rateText.has_value()) {
        std::cerr << "orv-cli audio: " << (raw ? "raw input on stdin needs --rate HZ" : "--rate is for raw input (-); a file gives its own rate")
                  << "\n";
        return 2;
    }
    AudioDemodOptions options;
    if (centreText) {
        const auto hz = ParseHz(*centreText);
        if (!hz) {
            std::cerr << "orv-cli audio: --center \"" << *centreText << "\" is not a frequency in Hz\n";
            return 2;
        }
        options.centreHz = *hz;
    }
    if (searchText) {
        const auto hz = ParseHertz(*searchText, 0, std::numeric_limits<double>::infinity());
        if (!hz) {
            std::cerr << "orv-cli audio: --search \"" << *searchText << "\" is not a frequency in Hz\n";
            return 2;
        }
        options.searchHz = *hz;
    }
    std::optional<double> rawRate;
    if (rateText) {
        rawRate = ParseHz(*rateText);
        if (!rawRate) {
            std::cerr << "orv-cli audio: --rate \"" << *rateText << "\" is not a sample rate in Hz\n";
            return 2;
        }
        if (const std::string problem = AudioRateProblem(*rawRate); !problem.empty()) {
            std::cerr << "orv-cli audio: " << problem << "\n";
            return 1;
        }
    }
    if (fecLogDir && !std::filesystem::is_directory(*fecLogDir)) {
        std::cerr << "orv-cli audio: \"" << *fecLogDir << "\" is not a directory\n";
        return 1;
    }

    std::unique_ptr<AudioSource> source;
    if (raw) {
        source = std::make_unique<RawAudioReader>(std::cin, *rawRate);
    } else {
        std::string error;
        source = SoundFileReader::Open(input, error);
        if (!source) {
            std::cerr << "orv-cli audio: " << error << "\n";
            return 1;
        }
    }
    options.sampleRate = source->SampleRate();
    if (const auto problem = AudioDemodulator::ProblemWith(options)) {
        std::cerr << "orv-cli audio: " << *problem << "\n";
        return 1;
    }
    DemodulatedRun run(cmd, *logPath, fecLogDir, samplesOut);
    if (!run.Ready()) return 1;
    AudioDemodulator demod(options);
    std::vector<float> audio(8192);
    std::vector<std::uint8_t> bytes;
    std::uint64_t read = 0;
    while (const std::size_t n = source->Read(audio)) {
        read += n;
        demod.Process(std::span<const float>(audio).first(n), bytes);
        if (demod.Locked()) run.Carrier(demod.CarrierHz(), demod.EsNoDb());
        run.Deliver(bytes);
    }
    demod.Flush(bytes);  // the look-ahead still held
    run.Deliver(bytes);
    char noCarrier[96];
    std::snprintf(noCarrier, sizeof noCarrier, "no carrier found within %.0f Hz of %.0f Hz", options.searchHz, options.centreHz);
    return run.Finish(static_cast<double>(read) / options.sampleRate, "audio", source->Error(),
                      [](double hz) {
                          char text[48];
                          std::snprintf(text, sizeof text, "carrier at %.1f Hz", hz);
                          return std::string(text);
                      },
                      noCarrier);
}

}  // namespace

std::vector<CliCommand> AudioCommands() {
    return {
        {"audio", "--log OUT [OPTIONS] FILE|-",
         "Demodulate a recording of the beacon (WAV, FLAC, Ogg; or raw s16le mono on standard input with --rate) and "
         "decode it as adc does; or list the sound card inputs.",
         {{{"log"}, "OUT", "the telemetry log the blocks are appended to (required; - for standard output, the "
                           "block lines then on standard error)"},
          {{"fec-log-dir"}, "DIR", "also write the FEC log into the directory DIR"},
          {{"center"}, "HZ", "the audio frequency the carrier is sought around (default 1500)"},
          {{"search"}, "HZ", "how far either side of the centre the carrier is sought, 0..1500 (default 1000)"},
          {{"rate"}, "HZ", "the sample rate of raw audio on standard input (required for -)"},
          {{"samples-out"}, "FILE", "also write the ADC sample stream, which orv-cli adc decodes the same"},
          {{"list-devices"}, "", "list the sound card inputs, as station --audio-device takes them"}},
         RunAudio},
    };
}

}  // namespace orv::cli
