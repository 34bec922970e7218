// orv-cli commands of the FEC subsystem: fec-encode, fec-decode, adc.
#include <array>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "app/cli/adc_decoding.h"
#include "app/cli/cli_args.h"
#include "app/cli/command.h"
#include "app/cli/stream_io.h"
#include "pipeline/adc_reception.h"
#include "fec/fec_block.h"
#include "fec/fec_codec.h"
#include "files/input_file.h"
#include "files/log_file.h"
#include "files/named_output.h"
#include "reception/clock.h"
#include "reception/receiver.h"

namespace orv::cli {
namespace {

// The whole of `path` ("-": standard input) when it holds exactly `size` bytes (a file's size is
// checked before reading, a stream is read up to one byte past it), or nothing with a message;
// `what` names the content in it.
std::optional<std::vector<std::uint8_t>> ReadExactly(const std::string& command, const std::string& path,
                                                     std::size_t size, const char* what) {
    std::vector<std::uint8_t> bytes;
    std::string error;
    if (!ReadSmallFile(path == "-" ? "/dev/stdin" : path, size, bytes, error)) {
        std::cerr << "orv-cli " << command << ": " << error << "; " << what << " has " << size << "\n";
        return std::nullopt;
    }
    if (bytes.size() != size) {
        std::cerr << "orv-cli " << command << ": " << InputName(path) << " holds " << bytes.size() << " bytes; "
                  << what << " has " << size << "\n";
        return std::nullopt;
    }
    return bytes;
}

// `path` ("-": standard output) made to hold exactly `bytes`, whole or not at all, unless it is the
// input; false with a message.
bool WriteOutput(const std::string& command, const std::string& input, const std::string& path,
                 std::span<const std::uint8_t> bytes) {
    if (path == "-") return WriteAll(command, path, bytes);
    std::string error = input == "-" ? std::string() : OutputOverInputError(path, {input});
    if (error.empty() && WriteNamedOutput(path, bytes, error)) return true;
    std::cerr << "orv-cli " << command << ": " << error << "\n";
    return false;
}

int RunFecEncode(const CliArgs& a, int, char**) {
    const std::string cmd = "fec-encode";
    if (a.Rest().size() != 2) return UsageError(cmd, "give the data file and the output file");
    const auto data = ReadExactly(cmd, a.Rest()[0], kFecDataBytes, "the data of an FEC frame");
    if (!data) return 1;
    std::array<std::uint8_t, kFecFrameSymbols> frame{};
    FecEncodeFrame(std::span<const std::uint8_t, kFecDataBytes>(data->data(), kFecDataBytes), frame);
    return WriteOutput(cmd, a.Rest()[0], a.Rest()[1], frame) ? 0 : 1;
}

int RunFecDecode(const CliArgs& a, int, char**) {
    const std::string cmd = "fec-decode";
    const auto dataOut = a.Value("--data");
    const auto blockOut = a.Value("--block");
    if (a.Rest().size() != 1) return UsageError(cmd, "give one frame file");
    const auto frame = ReadExactly(cmd, a.Rest()[0], kFecFrameSymbols, "an FEC frame");
    if (!frame) return 1;

    FecStatus status;
    FecData data{};
    const bool decoded = DecodeFecFrame(std::span<const SoftSymbol, kFecFrameSymbols>(frame->data(), kFecFrameSymbols), status, data);
    // The figures go to stderr when the decoded bytes go to standard output.
    FILE* figures = dataOut == "-" || blockOut == "-" ? stderr : stdout;
    std::fprintf(figures, "rsCorrections=%d,%d ", status.rsCorrections[0], status.rsCorrections[1]);
    if (!decoded) {
        std::fprintf(figures, "channelErrors=- ebNoDb=-\n");
        if (dataOut || blockOut) std::cerr << "orv-cli fec-decode: the frame did not decode; nothing written\n";
        return 1;
    }
    std::fprintf(figures, "channelErrors=%d ebNoDb=%.4f\n", status.channelErrors, static_cast<double>(status.ebNoDb));
    std::fflush(figures);
    bool ok = true;
    if (dataOut) ok = WriteOutput(cmd, a.Rest()[0], *dataOut, data) && ok;
    if (blockOut) ok = WriteOutput(cmd, a.Rest()[0], *blockOut, ReconstructFecBlock(data)) && ok;
    return ok ? 0 : 1;
}

int RunAdc(const CliArgs& a, int, char**) {
    const std::string cmd = "adc";
    const auto logPath = a.Value("--log");
    const auto fecLogDir = a.Value("--fec-log-dir");
    if (a.Rest().size() > 1) return UsageError(cmd, "give one samples file (or - for standard input)");
    if (!logPath) return UsageError(cmd, "--log OUT is required");
    if (fecLogDir && !std::filesystem::is_directory(*fecLogDir))
        return Failure(cmd, "\"" + *fecLogDir + "\" is not a directory");
    const std::string input = a.Rest().empty() ? "-" : a.Rest()[0];
    if (input != "-")
        if (const std::string refused = OutputOverInputError(*logPath, {input}); !refused.empty())
            return Failure(cmd, refused);
    // Read in pieces: memory stays flat whatever the length of the recording.
    InputFile samples;
    if (!OpenInput(cmd, input, samples)) return 1;
    if (!AdcDecoding::LogOpens(cmd, *logPath)) return 1;

    AdcDecoding decoding(cmd, *logPath, fecLogDir);
    std::array<std::uint8_t, 4096> piece;
    std::uint64_t read = 0;
    while (!decoding.LogFailed()) {
        const std::size_t got = samples.Read(piece.data(), piece.size());
        if (got == 0) break;
        read += got;
        decoding.Feed(std::span<const std::uint8_t>(piece.data(), got));
    }
    std::fflush(stdout);
    if (!samples.Error().empty()) return Failure(cmd, samples.Error());
    std::fprintf(stderr, "orv-cli adc: %llu samples, %d blocks", static_cast<unsigned long long>(read), decoding.Blocks());
    if (decoding.Blocks() > 0)
        std::fprintf(stderr, " (%d uncoded with CRCC OK, %d from FEC frames)", decoding.UncodedOk(), decoding.FecBlocks());
    std::fprintf(stderr, "\n");
    return decoding.Failed() ? 1 : 0;
}

}  // namespace

std::vector<CliCommand> FecCommands() {
    return {
        {"fec-encode", "DATA OUT",
         "Encode the 256 bytes of DATA into an FEC frame of 5200 hard symbols (0 or 1) in OUT (- for either: "
         "standard input or output).",
         {},
         RunFecEncode},
        {"fec-decode", "[OPTIONS] FRAME",
         "Decode an FEC frame of 5200 soft symbols (FRAME, - for standard input); print the Reed-Solomon "
         "corrections, channel errors and Eb/No.",
         {{{"data"}, "OUT", "write the 256 decoded data bytes to OUT (- for standard output)"},
          {{"block"}, "OUT", "write the 512-byte telemetry block rebuilt from the data to OUT (- for standard output)"}},
         RunFecDecode},
        {"adc", "--log OUT [OPTIONS] [SAMPLES]",
         "Run ADC samples (SAMPLES, - or none: standard input) through sync detection and decoding as the station "
         "does at 400 samples a second; append each block to OUT and print one line per block, and at the end the "
         "counts of samples and blocks.",
         {{{"log"}, "OUT", "the telemetry log the blocks are appended to (required; - for standard output, the "
                           "block lines then on standard error)"},
          {{"fec-log-dir"}, "DIR", "also write the FEC log (as the station names it) into the directory DIR"}},
         RunAdc},
    };
}

}  // namespace orv::cli
