// orv-cli commands of the FEC subsystem: fec-encode, fec-decode, adc.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "app/cli/cli_args.h"
#include "app/cli/command.h"
#include "fec/adc_reception.h"
#include "fec/fec_block.h"
#include "fec/fec_codec.h"
#include "reception/clock.h"
#include "reception/receiver.h"

namespace orv::cli {
namespace {

// The whole file, or nothing with a message.
std::optional<std::vector<std::uint8_t>> ReadBytes(const std::string& command, const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::cerr << "orv-cli " << command << ": cannot open \"" << path << "\"\n";
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        std::cerr << "orv-cli " << command << ": cannot read \"" << path << "\"\n";
        return std::nullopt;
    }
    return bytes;
}

// The file `path` made to hold exactly `bytes`; false with a message.
bool WriteBytes(const std::string& command, const std::string& path, std::span<const std::uint8_t> bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        std::cerr << "orv-cli " << command << ": cannot write \"" << path << "\"\n";
        return false;
    }
    return true;
}

bool HasSize(const std::string& command, const std::string& path, const std::vector<std::uint8_t>& bytes,
             std::size_t size, const char* what) {
    if (bytes.size() == size) return true;
    std::cerr << "orv-cli " << command << ": \"" << path << "\" holds " << bytes.size() << " bytes; " << what
              << " has " << size << "\n";
    return false;
}

int RunFecEncode(std::vector<std::string> args, int, char**) {
    const std::string cmd = "fec-encode";
    CliArgs a(std::move(args));
    if (!a.UnknownOption().empty() || a.Rest().size() != 2) {
        std::cerr << "usage: orv-cli fec-encode DATA OUT\n";
        return 2;
    }
    const auto data = ReadBytes(cmd, a.Rest()[0]);
    if (!data || !HasSize(cmd, a.Rest()[0], *data, kFecDataBytes, "the data of an FEC frame")) return 1;
    std::array<std::uint8_t, kFecFrameSymbols> frame{};
    FecEncodeFrame(std::span<const std::uint8_t, kFecDataBytes>(data->data(), kFecDataBytes), frame);
    return WriteBytes(cmd, a.Rest()[1], frame) ? 0 : 1;
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
    const auto frame = ReadBytes(cmd, a.Rest()[0]);
    if (!frame || !HasSize(cmd, a.Rest()[0], *frame, kFecFrameSymbols, "an FEC frame")) return 1;

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
    if (dataOut) ok = WriteBytes(cmd, *dataOut, data) && ok;
    if (blockOut) ok = WriteBytes(cmd, *blockOut, ReconstructFecBlock(data)) && ok;
    return ok ? 0 : 1;
}

// Appends every completed block to the log file as the Logging window does with Block " all" and
// CRCC "ignore", and prints one line per block.
class AdcCommandHooks final : public ReceiverHooks, public AdcReceptionHooks {
public:
    AdcCommandHooks(const StationState& station, std::ofstream& log, std::string logPath)
        : station_(station), log_(log), logPath_(std::move(logPath)) {}

    void AppendToLog(std::span<const std::uint8_t, kTelemetryBytes> record) override {
        log_.write(reinterpret_cast<const char*>(record.data()), static_cast<std::streamsize>(record.size()));
        log_.flush();
        if (!log_ && !logFailed_) {
            std::cerr << "orv-cli adc: cannot write \"" << logPath_ << "\"\n";
            logFailed_ = true;
        }
        const char id = BlockId(record);
        std::printf("%d %c %s %s\n", ++blocks_, id > ' ' && id < 0x7F ? id : '?', station_.receiver.crccLabel.c_str(),
                    station_.receiver.fecDelivery ? "fec" : "uncoded");
    }

    void FecLogFailed(const std::filesystem::path& path) override {
        if (!fecLogFailed_) std::cerr << "orv-cli adc: cannot write the FEC log \"" << path.string() << "\"\n";
        fecLogFailed_ = true;
    }

    bool Failed() const { return logFailed_ || fecLogFailed_; }

private:
    const StationState& station_;
    std::ofstream& log_;
    std::string logPath_;
    int blocks_ = 0;
    bool logFailed_ = false;
    bool fecLogFailed_ = false;
};

int RunAdc(std::vector<std::string> args, int, char**) {
    const std::string cmd = "adc";
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
    const auto samples = ReadBytes(cmd, a.Rest()[0]);
    if (!samples) return 1;
    std::ofstream log(*logPath, std::ios::binary | std::ios::app);
    if (!log) {
        std::cerr << "orv-cli adc: cannot open \"" << *logPath << "\"\n";
        return 1;
    }

    StationState station;
    station.SetModemType(ModemType::Adc);
    station.logging.logging = true;
    station.logging.aOnly = false;   // Block " all"
    station.logging.useCrcc = false;  // CRCC "ignore"
    station.settings.logFec = fecLogDir.has_value();
    ManualClock clock(1'000'000'000);
    AdcCommandHooks hooks(station, log, *logPath);
    BlockReceiver receiver(station, clock, hooks);
    AdcReception adc(receiver, &hooks);
    if (fecLogDir) adc.SetFecLogDirectory(*fecLogDir);

    // Reads of 400 bytes, one clock second apart: the serial port's pace at 400 samples/s.
    constexpr std::size_t kRead = 400;
    const std::span<const std::uint8_t> all(*samples);
    for (std::size_t at = 0; at < all.size(); at += kRead) {
        adc.ProcessAdcBytes(all.subspan(at, std::min(kRead, all.size() - at)));
        clock.Advance(1);
    }
    std::fflush(stdout);
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
