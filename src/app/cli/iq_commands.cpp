// orv-cli iq: an IQ recording (SigMF, 2-channel WAV, headerless or standard input) through the IQ
// receiver and the ADC path, block lines, logging and summary as orv-cli audio; or the SoapySDR
// devices.
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/cli/adc_decoding.h"
#include "app/cli/cli_args.h"
#include "app/cli/command.h"
#include "audio/audio_settings.h"
#include "inputs/soapy_sdr_source.h"
#include "iq/iq_receiver.h"
#include "iq/iq_source.h"
#include "iq/sdr_settings.h"
#include "text/number_text.h"

namespace orv::cli {
namespace {

const std::string kCommand = "iq";

// The SoapySDR devices, one a line, as station --sdr takes them.
int ListDevices() {
    const std::vector<std::string> devices = SoapySdrSource::DeviceList();
    for (const std::string& device : devices) std::printf("%s\n", device.c_str());
    if (devices.empty())
        std::cerr << "orv-cli iq: no SoapySDR devices found (is the device plugged in, and its SoapySDR module installed?)\n";
    return 0;
}

// A frequency in Hz within low..high from `option`'s text; false after the usage message.
bool ReadHertz(const CliArgs& a, const char* option, double low, double high, std::optional<double>& value) {
    const auto text = a.Value(option);
    if (!text) return true;
    value = ParseHertz(*text, low, high);
    if (value) return true;
    std::cerr << "orv-cli iq: " << option << " \"" << *text << "\" is not a frequency in Hz\n";
    return false;
}

std::string SignedHz(double hz) {
    char text[48];
    std::snprintf(text, sizeof text, "%+.1f Hz", hz);
    return text;
}

int RunIq(const CliArgs& a, int, char**) {
    if (a.Has("--list-devices")) return ListDevices();
    const auto logPath = a.Value("--log");
    const auto fecLogDir = a.Value("--fec-log-dir");
    const auto formatText = a.Value("--format");
    const auto samplesOut = a.Value("--samples-out");
    if (a.Rest().size() != 1) return UsageError(kCommand, "give one recording (or - for raw IQ on standard input)");
    if (!logPath) return UsageError(kCommand, "--log OUT is required");
    const std::string input = a.Rest()[0];
    IqFileHints hints;
    if (formatText) {
        hints.format = IqFormatNamed(*formatText);
        if (!hints.format) {
            std::cerr << "orv-cli iq: --format \"" << *formatText << "\" is not " << IqFormatNames() << "\n";
            return 2;
        }
    }
    std::optional<double> offset;
    std::optional<double> search;
    if (!ReadHertz(a, "--rate", 1.0, 1e9, hints.rate) || !ReadHertz(a, "--offset", -1e9, 1e9, offset) ||
        !ReadHertz(a, "--search", 0.0, 1e9, search))
        return 2;
    if (input == "-" && !hints.rate) {
        std::cerr << "orv-cli iq: raw IQ on stdin needs --rate HZ (and --format, default cu8)\n";
        return 2;
    }
    if (fecLogDir && !std::filesystem::is_directory(*fecLogDir)) {
        std::cerr << "orv-cli iq: \"" << *fecLogDir << "\" is not a directory\n";
        return 1;
    }

    std::unique_ptr<IqSource> source;
    std::string error;
    if (input == "-") source = std::make_unique<RawIqReader>(std::cin, hints.format.value_or(IqFormat::Cu8), *hints.rate);
    else source = OpenIqRecording(input, hints, error);
    if (!source) {
        std::cerr << "orv-cli iq: " << error << "\n";
        return 1;
    }
    const IqReceiverOptions options{source->SampleRate(), offset.value_or(0.0), search.value_or(5000.0)};
    if (const auto problem = IqReceiver::ProblemWith(options)) {
        std::cerr << "orv-cli iq: " << *problem << "\n";
        return 1;
    }
    DemodulatedRun run(kCommand, *logPath, fecLogDir, samplesOut);
    if (!run.Ready()) return 1;
    IqReceiver receiver(options);
    std::vector<std::complex<float>> samples(65536);
    std::vector<std::uint8_t> bytes;
    std::uint64_t read = 0;
    while (const std::size_t n = source->Read(samples)) {
        read += n;
        receiver.Process(std::span<const std::complex<float>>(samples).first(n), bytes);
        if (receiver.Demodulator().Locked()) run.Carrier(*receiver.BeaconHz(), receiver.Demodulator().EsNoDb());
        run.Deliver(bytes);
    }
    receiver.Flush(bytes);  // the look-aheads still held
    run.Deliver(bytes);
    const std::optional<double> centre = source->CentreHz();
    const std::string noCarrier = "no carrier found within " + PlainNumberText(options.searchHz) + " Hz of " +
                                  SignedHz(options.offsetHz) + " from the centre";
    return run.Finish(static_cast<double>(read) / options.sampleRate, "IQ", source->Error(),
                      [&](double hz) {
                          std::string text = "carrier at " + SignedHz(hz) + " from the centre";
                          if (centre) text += " (" + PlainNumberText(std::round(*centre + hz)) + " Hz)";
                          return text;
                      },
                      noCarrier);
}

}  // namespace

std::vector<CliCommand> IqCommands() {
    return {
        {"iq", "--log OUT [OPTIONS] FILE|-",
         "Find the beacon in an IQ recording (NAME.sigmf-meta or NAME.sigmf-data, a 2-channel WAV with I left and Q "
         "right, or headerless samples with --format and --rate; - reads standard input) and decode it as audio does; "
         "or list the SoapySDR devices.",
         {{{"log"}, "OUT", "the telemetry log the blocks are appended to (required)"},
          {{"format"}, "FORMAT", "headerless samples: cu8 (rtl_sdr's, the default), cs8, cs16 or cf32"},
          {{"rate"}, "HZ", "headerless samples: the sample rate (required for them)"},
          {{"offset"}, "HZ", "where the beacon is believed to be relative to the recording's centre (default 0)"},
          {{"search"}, "HZ", "seek the beacon this far either side of the offset (default 5000)"},
          {{"fec-log-dir"}, "DIR", "also write the FEC log into the directory DIR"},
          {{"samples-out"}, "FILE", "also write the ADC sample stream, which orv-cli adc decodes the same"},
          {{"list-devices"}, "", "list the SoapySDR devices, as station --sdr takes them"}},
         RunIq},
    };
}

}  // namespace orv::cli
