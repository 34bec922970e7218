#pragma once
// IQ from an SDR (modem type "SDR"): an rtl_tcp server, a SoapySDR device, or a recording played
// at the pace of the air. The IQ receiver finds the beacon around the offset and demodulates it;
// its ADC sample bytes go to the reception pipeline's ADC path, as audio's do. The device or the
// server is tuned to the frequency, rate, gain and correction of the settings. Status lines say
// when the beacon is found and lost, what a lost rtl_tcp link does, and samples the station lost.
#include <QString>
#include <QTimer>
#include <complex>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "inputs/block_input.h"
#include "iq/iq_receiver.h"
#include "iq/sdr_settings.h"
#include "reception/station_state.h"

namespace orv {

class IqSource;
class ReceptionPipeline;
class RtlTcpSource;
class SoapySdrSource;

class IqInput final : public BlockInput {
    Q_OBJECT
public:
    // While the DSP-93 load owns the modem (`flags`), what the receiver makes is dropped.
    IqInput(ReceptionPipeline& pipeline, const SdrSettings& settings, const ReceptionFlags& flags, QObject* parent = nullptr);
    ~IqInput() override;

    // Opens the source and starts receiving; false with `error` for the operator when the device
    // or file cannot be opened or the settings do not work (rate, offset, frequency).
    bool Start(std::string& error) override;
    void Stop() override;
    bool Running() const override { return running_; }
    // "rtl_tcp 127.0.0.1:1234 at 739750000 Hz, 1024000 samples/s", "SDR driver=rtlsdr at ...",
    // "IQ file x.sigmf-meta at 250000 samples/s".
    QString Description() const override { return description_; }

    // The running receiver (for the picture of the band and the signal), null when stopped.
    IqReceiver* Receiver() { return receiver_.get(); }

    // Drains the SDR or plays the recording up to now (the timer does this every 50 ms).
    void Poll();

    // The beacon unheard this long is reported lost.
    static constexpr int kLostBeaconMs = 10000;

private:
    bool OpenSource(std::string& error);
    void Receive(std::span<const std::complex<float>> samples);
    void Finish(const QString& reason);
    // Demodulates what the receiver still holds (a stream that broke off, or ended).
    void Drain();
    void ReportBeacon();

    ReceptionPipeline& pipeline_;
    const ReceptionFlags& flags_;
    SdrSettings settings_;
    QString description_;
    std::unique_ptr<IqReceiver> receiver_;
    std::unique_ptr<IqSource> file_;
    std::unique_ptr<RtlTcpSource> rtlTcp_;
    std::unique_ptr<SoapySdrSource> soapy_;
    QTimer timer_;
    double rate_ = 0.0;
    std::int64_t startedMs_ = 0;
    std::int64_t fileSamplesRead_ = 0;
    std::int64_t lastLockMs_ = 0;
    bool beaconReported_ = false;  // "beacon found" said, "lost" not yet
    std::uint64_t lostSamples_ = 0;
    bool running_ = false;
    std::vector<std::complex<float>> samples_;
    std::vector<std::uint8_t> bytes_;
};

}  // namespace orv
