#include "app/cli/adc_decoding.h"

#include <algorithm>
#include <cstdio>
#include <iostream>

namespace orv::cli {
namespace {

constexpr int kSamplesPerSecond = 400;

class DecodingHooks final : public ReceiverHooks, public AdcReceptionHooks {
public:
    DecodingHooks(std::string command, const StationState& station, std::ofstream& log, std::string logPath)
        : command_(std::move(command)), station_(station), log_(log), logPath_(std::move(logPath)) {}

    void AppendToLog(std::span<const std::uint8_t, kTelemetryBytes> record) override {
        log_.write(reinterpret_cast<const char*>(record.data()), static_cast<std::streamsize>(record.size()));
        log_.flush();
        if (!log_ && !logFailed_) {
            std::cerr << "orv-cli " << command_ << ": cannot write \"" << logPath_ << "\"\n";
            logFailed_ = true;
        }
        const char id = BlockId(record);
        const bool fec = station_.receiver.fecDelivery;
        const bool ok = station_.receiver.crccLabel == "OK";
        ++blocks;
        if (fec) ++fecBlocks;
        else if (ok) ++uncodedOk;
        std::printf("%d %c %s %s\n", blocks, id > ' ' && id < 0x7F ? id : '?', station_.receiver.crccLabel.c_str(),
                    fec ? "fec" : "uncoded");
        std::fflush(stdout);
    }

    void FecLogFailed(const std::filesystem::path& path) override {
        if (!fecLogFailed_) std::cerr << "orv-cli " << command_ << ": cannot write the FEC log \"" << path.string() << "\"\n";
        fecLogFailed_ = true;
    }

    bool Failed() const { return logFailed_ || fecLogFailed_; }

    int blocks = 0;
    int uncodedOk = 0;
    int fecBlocks = 0;

private:
    std::string command_;
    const StationState& station_;
    std::ofstream& log_;
    std::string logPath_;
    bool logFailed_ = false;
    bool fecLogFailed_ = false;
};

}  // namespace

struct AdcDecoding::Parts {
    Parts(std::string command, std::ofstream& log, std::string logPath)
        : hooks(std::move(command), station, log, std::move(logPath)) {}
    StationState station;
    ManualClock clock{1'000'000'000};
    DecodingHooks hooks;
    std::optional<BlockReceiver> receiver;
    std::optional<AdcReception> adc;
};

AdcDecoding::AdcDecoding(std::string command, std::ofstream& log, std::string logPath,
                         const std::optional<std::string>& fecLogDirectory)
    : parts_(std::make_unique<Parts>(std::move(command), log, std::move(logPath))) {
    StationState& station = parts_->station;
    station.SetModemType(ModemType::Adc);
    station.logging.logging = true;
    station.logging.aOnly = false;    // Block " all"
    station.logging.useCrcc = false;  // CRCC "ignore"
    station.settings.logFec = fecLogDirectory.has_value();
    parts_->receiver.emplace(station, parts_->clock, parts_->hooks);
    parts_->adc.emplace(*parts_->receiver, &parts_->hooks);
    if (fecLogDirectory) parts_->adc->SetFecLogDirectory(*fecLogDirectory);
}

AdcDecoding::~AdcDecoding() = default;

void AdcDecoding::Feed(std::span<const std::uint8_t> samples) {
    while (!samples.empty()) {
        const std::size_t n = std::min<std::size_t>(samples.size(), static_cast<std::size_t>(kSamplesPerSecond - intoSecond_));
        parts_->adc->ProcessAdcBytes(samples.first(n));
        samples = samples.subspan(n);
        intoSecond_ += static_cast<int>(n);
        if (intoSecond_ == kSamplesPerSecond) {
            parts_->clock.Advance(1);
            intoSecond_ = 0;
        }
    }
}

AdcReception& AdcDecoding::Reception() { return *parts_->adc; }
int AdcDecoding::Blocks() const { return parts_->hooks.blocks; }
int AdcDecoding::UncodedOk() const { return parts_->hooks.uncodedOk; }
int AdcDecoding::FecBlocks() const { return parts_->hooks.fecBlocks; }
bool AdcDecoding::Failed() const { return parts_->hooks.Failed(); }

}  // namespace orv::cli
