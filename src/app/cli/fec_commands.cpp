// orv-cli commands of the FEC subsystem: fec-encode, fec-decode, adc.
#include <array>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "app/cli/cli_args.h"
#include "app/cli/command.h"
#include "fec/adc_reception.h"
#include "fec/fec_block.h"
#include "fec/fec_codec.h"
#include "files/input_file.h"
#include "files/log_file.h"
#include "files/named_output.h"
#include "reception/clock.h"
#include "reception/receiver.h"

namespace orv::cli {
namespace {

// The whole file when it holds exactly `size` bytes (checked before reading), or nothing with a
// message; `what` names the content in it.
std::optional<std::vector<std::uint8_t>> ReadExactly(const std::string& command, const std::string& path,
                                                     std::size_t size, const char* what) {
    std::vector<std::uint8_t> bytes;
    std::string error;
    if (!ReadSmallFile(path, size, bytes, error)) {
        std::cerr << "orv-cli " << command << ": " << error << "; " << what << " has " << size << "\n";
        return std::nullopt;
    }
    if (bytes.size() != size) {
        std::cerr << "orv-cli " << command << ": \"" << path << "\" holds " << bytes.size() << " bytes; " << what
                  << " has " << size << "\n";
        return std::nullopt;
    }
    return bytes;
}

// The file `path` made to hold exactly `bytes`, unless it is the input; false with a message.
bool WriteOutput(const std::string& command, const std::string& input, const std::string& path,
                 std::span<const std::uint8_t> bytes) {
    std::string error = OutputOverInputError(path, {input});
    if (error.empty() && WriteNamedOutput(path, bytes, error)) return true;
    std::cerr << "orv-cli " << command << ": " << error << "\n";
    return false;
}

int RunFecEncode(std::vector<std::string> args, int, char**) {
    const std::string cmd = "fec-encode";
    CliArgs a(std::move(args));
    if (!a.UnknownOption().empty() || a.Rest().size() != 2) {
        std::cerr << "usage: orv-cli fec-encode DATA OUT\n";
        return 2;
    }
    const auto data = ReadExactly(cmd, a.Rest()[0], kFecDataBytes, "the data of an FEC frame");
    if (!data) return 1;
    std::array<std::uint8_t, kFecFrameSymbols> frame{};
    FecEncodeFrame(std::span<const std::uint8_t, kFecDataBytes>(data->data(), kFecDataBytes), frame);
    return WriteOutput(cmd, a.Rest()[0], a.Rest()[1], frame) ? 0 : 1;
}

int RunFecDecode(std::vector<std::string> args, int, char**) {
    const std::string cmd = "fec-decode";
    CliArgs a(std::move(args));
    const auto dataOut = a.TakeValue("--data");
    const auto blockOut = a.TakeValue("--block");
    if (!a.Error().empty() || !a.UnknownOption().empty() || a.Rest().size() != 1) {
        std::cerr << "usage: orv-cli fec-decode FRAME [--data OUT] [--block OUT]\n";
        return 2;
    }
    const auto frame = ReadExactly(cmd, a.Rest()[0], kFecFrameSymbols, "an FEC frame");
    if (!frame) return 1;

    FecStatus status;
    FecData data{};
    const bool decoded = DecodeFecFrame(std::span<const SoftSymbol, kFecFrameSymbols>(frame->data(), kFecFrameSymbols), status, data);
    std::printf("rsCorrections=%d,%d ", status.rsCorrections[0], status.rsCorrections[1]);
    if (!decoded) {
        std::printf("channelErrors=- ebNoDb=-\n");
        if (dataOut || blockOut) std::cerr << "orv-cli fec-decode: the frame did not decode; nothing written\n";
        return 1;
    }
    std::printf("channelErrors=%d ebNoDb=%.4f\n", status.channelErrors, static_cast<double>(status.ebNoDb));
    bool ok = true;
    if (dataOut) ok = WriteOutput(cmd, a.Rest()[0], *dataOut, data) && ok;
    if (blockOut) ok = WriteOutput(cmd, a.Rest()[0], *blockOut, ReconstructFecBlock(data)) && ok;
    return ok ? 0 : 1;
}

// Appends every completed block to the log file as the Logging window does with Block " all" and
// CRCC "ignore", each as one whole record, and prints one line per block that is in the file. The
// first block that cannot be appended stops the run.
class AdcCommandHooks final : public ReceiverHooks, public AdcReceptionHooks {
public:
    AdcCommandHooks(const StationState& station, std::string logPath)
        : station_(station), logPath_(std::move(logPath)) {}

    void AppendToLog(std::span<const std::uint8_t, kTelemetryBytes> record) override {
        if (logFailed_) return;
        const AppendOutcome out = AppendRecordToFile(logPath_, Record(record.data(), kRecordBytes), false);
        if (out.strayBytes != 0) {
            std::cerr << "orv-cli adc: a partial record of " << out.strayBytes << " bytes was cut from the end of \""
                      << logPath_ << "\"\n";
        }
        if (!out.written) {
            std::cerr << "orv-cli adc: block " << blocks_ + 1 << " not logged: " << out.error << "; stopping\n";
            logFailed_ = true;
            return;
        }
        const char id = BlockId(record);
        std::printf("%d %c %s %s\n", ++blocks_, id > ' ' && id < 0x7F ? id : '?', station_.receiver.crccLabel.c_str(),
                    station_.receiver.fecDelivery ? "fec" : "uncoded");
    }

    void FecLogFailed(const std::filesystem::path& path) override {
        if (!fecLogFailed_) std::cerr << "orv-cli adc: cannot write the FEC log \"" << path.string() << "\"\n";
        fecLogFailed_ = true;
    }

    bool LogFailed() const { return logFailed_; }
    bool Failed() const { return logFailed_ || fecLogFailed_; }

private:
    const StationState& station_;
    std::string logPath_;
    int blocks_ = 0;
    bool logFailed_ = false;
    bool fecLogFailed_ = false;
};

int RunAdc(std::vector<std::string> args, int, char**) {
    CliArgs a(std::move(args));
    const auto logPath = a.TakeValue("--log");
    const auto fecLogDir = a.TakeValue("--fec-log-dir");
    if (!a.Error().empty() || !a.UnknownOption().empty() || a.Rest().size() != 1 || !logPath) {
        std::cerr << "usage: orv-cli adc SAMPLES --log OUT [--fec-log-dir DIR]\n";
        return 2;
    }
    if (fecLogDir && !std::filesystem::is_directory(*fecLogDir)) {
        std::cerr << "orv-cli adc: \"" << *fecLogDir << "\" is not a directory\n";
        return 1;
    }
    std::string error = OutputOverInputError(*logPath, {a.Rest()[0]});
    InputFile samples;
    if (!error.empty() || !samples.Open(a.Rest()[0], error)) {
        std::cerr << "orv-cli adc: " << error << "\n";
        return 1;
    }

    StationState station;
    station.SetModemType(ModemType::Adc);
    station.logging.logging = true;
    station.logging.aOnly = false;   // Block " all"
    station.logging.useCrcc = false;  // CRCC "ignore"
    station.settings.logFec = fecLogDir.has_value();
    ManualClock clock(1'000'000'000);
    AdcCommandHooks hooks(station, *logPath);
    BlockReceiver receiver(station, clock, hooks);
    AdcReception adc(receiver, &hooks);
    if (fecLogDir) adc.SetFecLogDirectory(*fecLogDir);

    // Reads of 400 bytes, one clock second apart: the serial port's pace at 400 samples/s.
    std::array<std::uint8_t, 400> piece;
    while (!hooks.LogFailed()) {
        const std::size_t got = samples.Read(piece.data(), piece.size());
        if (got == 0) break;
        adc.ProcessAdcBytes(std::span<const std::uint8_t>(piece.data(), got));
        clock.Advance(1);
    }
    std::fflush(stdout);
    if (!samples.Error().empty()) {
        std::cerr << "orv-cli adc: " << samples.Error() << "\n";
        return 1;
    }
    return hooks.Failed() ? 1 : 0;
}

}  // namespace

std::vector<CliCommand> FecCommands() {
    return {
        {"fec-encode", "DATA OUT", "encode the 256 bytes of DATA into an FEC frame of 5200 hard symbols (0 or 1)",
         RunFecEncode},
        {"fec-decode", "FRAME [--data OUT] [--block OUT]",
         "decode an FEC frame of 5200 soft symbols; print the Reed-Solomon corrections, channel errors and Eb/No",
         RunFecDecode},
        {"adc", "SAMPLES --log OUT [--fec-log-dir DIR]",
         "run ADC samples through sync detection and decoding; append each block to OUT, print one line per block",
         RunAdc},
    };
}

}  // namespace orv::cli
