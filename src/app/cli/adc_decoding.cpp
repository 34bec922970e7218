#include "app/cli/adc_decoding.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <cstdio>
#include <fstream>
#include <iostream>

#include "files/log_file.h"

namespace orv::cli {
namespace {

constexpr int kSamplesPerSecond = 400;

// The log file and the block lines.
class LogAndPrint final : public BlockSink, public AdcReceptionHooks {
public:
    LogAndPrint(std::string command, std::string logPath)
        : command_(std::move(command)), logPath_(std::move(logPath)), toStdout_(logPath_ == "-"),
          lines_(toStdout_ ? stderr : stdout) {}

    void TakeBlock(const ReceivedBlock& block) override {
        if (logFailed_) return;
        const Block512 record = StampedRecord(block);
        const AppendOutcome out = toStdout_ ? WriteToStdout(record) : AppendRecordToFile(logPath_, Record(record.data(), kRecordBytes), false);
        if (out.strayBytes != 0) {
            std::cerr << "orv-cli " << command_ << ": a partial record of " << out.strayBytes
                      << " bytes was cut from the end of \"" << logPath_ << "\"\n";
        }
        if (!out.written) {
            std::cerr << "orv-cli " << command_ << ": block " << blocks + 1 << " not logged: " << out.error
                      << "; stopping\n";
            logFailed_ = true;
            return;
        }
        const char id = block.Kind();
        const bool fec = block.FromFec();
        ++blocks;
        if (fec) ++fecBlocks;
        else if (block.verdict == CrccVerdict::Ok) ++uncodedOk;
        std::fprintf(lines_, "%d %c %s %s\n", blocks, id > ' ' && id < 0x7F ? id : '?',
                     std::string(VerdictText(block.verdict)).c_str(), fec ? "fec" : "uncoded");
        std::fflush(lines_);
    }

    void FecLogFailed(const std::filesystem::path& path) override {
        if (!fecLogFailed_) std::cerr << "orv-cli " << command_ << ": cannot write the FEC log \"" << path.string() << "\"\n";
        fecLogFailed_ = true;
    }

    bool LogFailed() const { return logFailed_; }
    bool Failed() const { return logFailed_ || fecLogFailed_; }

    int blocks = 0;
    int uncodedOk = 0;
    int fecBlocks = 0;

private:
    static AppendOutcome WriteToStdout(const Block512& record) {
        AppendOutcome out;
        out.written = std::fwrite(record.data(), 1, kRecordBytes, stdout) == kRecordBytes && std::fflush(stdout) == 0;
        if (!out.written) out.error = std::string("cannot write standard output: ") + std::strerror(errno);
        return out;
    }

    std::string command_;
    std::string logPath_;
    bool toStdout_;
    FILE* lines_;
    bool logFailed_ = false;
    bool fecLogFailed_ = false;
};

StationState AdcStation(bool logFec) {
    StationState station;
    station.SetModemType(ModemType::Adc);
    station.settings.logFec = logFec;
    return station;
}

}  // namespace

struct AdcDecoding::Parts {
    Parts(std::string command, std::string logPath, bool logFec)
        : station(AdcStation(logFec)), sink(std::move(command), std::move(logPath)) {}
    StationState station;
    ManualClock clock{1'000'000'000};
    LogAndPrint sink;
    ReceptionPipeline pipeline{station, clock};
};

AdcDecoding::AdcDecoding(std::string command, std::string logPath, const std::optional<std::string>& fecLogDirectory)
    : parts_(std::make_unique<Parts>(std::move(command), std::move(logPath), fecLogDirectory.has_value())) {
    parts_->pipeline.AddSink(parts_->sink);
    parts_->pipeline.Adc().SetHooks(&parts_->sink);
    if (fecLogDirectory) parts_->pipeline.Adc().SetFecLogDirectory(*fecLogDirectory);
}

AdcDecoding::~AdcDecoding() = default;

bool AdcDecoding::LogOpens(const std::string& command, const std::string& logPath) {
    if (logPath == "-") return true;
    std::error_code ec;
    const bool existed = std::filesystem::exists(logPath, ec);
    if (std::ofstream(logPath, std::ios::binary | std::ios::app)) {
        if (!existed) std::filesystem::remove(logPath, ec);
        return true;
    }
    std::cerr << "orv-cli " << command << ": cannot open \"" << logPath << "\"\n";
    return false;
}

void AdcDecoding::Feed(std::span<const std::uint8_t> samples) {
    while (!samples.empty() && !parts_->sink.LogFailed()) {
        const std::size_t n = std::min<std::size_t>(samples.size(), static_cast<std::size_t>(kSamplesPerSecond - intoSecond_));
        parts_->pipeline.AdcSamples(samples.first(n));
        samples = samples.subspan(n);
        intoSecond_ += static_cast<int>(n);
        if (intoSecond_ == kSamplesPerSecond) {
            parts_->clock.Advance(1);
            intoSecond_ = 0;
        }
    }
}

ReceptionPipeline& AdcDecoding::Pipeline() { return parts_->pipeline; }
int AdcDecoding::Blocks() const { return parts_->sink.blocks; }
int AdcDecoding::UncodedOk() const { return parts_->sink.uncodedOk; }
int AdcDecoding::FecBlocks() const { return parts_->sink.fecBlocks; }
bool AdcDecoding::LogFailed() const { return parts_->sink.LogFailed(); }
bool AdcDecoding::Failed() const { return parts_->sink.Failed(); }

DemodulatedRun::DemodulatedRun(std::string command, std::string logPath, const std::optional<std::string>& fecLogDirectory,
                               std::optional<std::string> samplesOut)
    : command_(std::move(command)), logPath_(std::move(logPath)), samplesOut_(std::move(samplesOut)),
      decoding_(command_, logPath_, fecLogDirectory) {
    decoding_.Pipeline().Adc().Path().SetAcceptInverted(true);
}

bool DemodulatedRun::Ready() {
    if (!AdcDecoding::LogOpens(command_, logPath_)) return false;
    if (!samplesOut_) return true;
    samplesFile_.open(*samplesOut_, std::ios::binary | std::ios::trunc);
    if (samplesFile_) return true;
    std::cerr << "orv-cli " << command_ << ": cannot write \"" << *samplesOut_ << "\"\n";
    return false;
}

void DemodulatedRun::Deliver(std::vector<std::uint8_t>& bytes) {
    decoding_.Feed(bytes);
    if (samplesOut_ && !samplesFailed_) {
        samplesFile_.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!samplesFile_) {
            std::cerr << "orv-cli " << command_ << ": cannot write \"" << *samplesOut_ << "\"\n";
            samplesFailed_ = true;
        }
    }
    bytes.clear();
}

void DemodulatedRun::Carrier(double hz, double esNoDb) {
    carrierFound_ = true;
    carrierHz_ = hz;
    esNoDb_ = esNoDb;
}

int DemodulatedRun::Finish(double seconds, const std::string& what, const std::string& inputError,
                           const std::function<std::string(double hz)>& carrierText, const std::string& noCarrier) {
    if (samplesOut_) samplesFile_.close();
    std::fflush(stdout);
    if (!inputError.empty()) std::cerr << "orv-cli " << command_ << ": " << inputError << "\n";
    std::fprintf(stderr, "orv-cli %s: %.1f s of %s, %d blocks (%d uncoded with CRCC OK, %d from FEC frames); ", command_.c_str(),
                 seconds, what.c_str(), decoding_.Blocks(), decoding_.UncodedOk(), decoding_.FecBlocks());
    if (carrierFound_)
        std::fprintf(stderr, "%s, Es/N0 %.1f dB\n", carrierText(carrierHz_).c_str(), esNoDb_);
    else
        std::fprintf(stderr, "%s\n", noCarrier.c_str());
    const bool samplesFailed = samplesFailed_ || (samplesOut_ && !samplesFile_);
    return !inputError.empty() || decoding_.Failed() || samplesFailed ? 1 : 0;
}

}  // namespace orv::cli
