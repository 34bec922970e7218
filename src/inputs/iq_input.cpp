#include "inputs/iq_input.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "audio/live_stream_reader.h"
#include "inputs/paced_file.h"
#include "inputs/rtl_tcp_source.h"
#include "inputs/soapy_sdr_source.h"
#include "iq/iq_source.h"
#include "net/wire.h"
#include "pipeline/reception_pipeline.h"
#include "text/number_text.h"

namespace orv {
namespace {

constexpr int kPollMs = 50;

QString Number(double value) { return QString::fromStdString(PlainNumberText(value)); }

// "+3301 Hz" from the centre.
QString Signed(double hz) { return (hz >= 0 ? QStringLiteral("+") : QString()) + QString::number(hz, 'f', 0) + QStringLiteral(" Hz"); }

}  // namespace

IqInput::IqInput(ReceptionPipeline& pipeline, const SdrSettings& settings, const ReceptionFlags& flags, QObject* parent)
    : BlockInput(parent), pipeline_(pipeline), flags_(flags), settings_(settings) {
    timer_.setInterval(kPollMs);
    connect(&timer_, &QTimer::timeout, this, &IqInput::Poll);
}

IqInput::~IqInput() { Stop(); }

bool IqInput::OpenSource(std::string& error) {
    const SdrSettings& s = settings_;
    const QString tuned = QStringLiteral("at %1 Hz, %2 samples/s").arg(Number(s.frequencyHz), Number(s.rate));
    switch (s.source) {
        case SdrSourceKind::File: {
            IqFileHints hints;
            if (!IqRecordingHasHeader(s.file)) hints = {IqFormat::Cu8, s.rate};
            file_ = OpenIqRecording(s.file, hints, error);
            if (!file_) return false;
            rate_ = file_->SampleRate();
            description_ = QStringLiteral("IQ file %1 at %2 samples/s").arg(QString::fromStdString(s.file), Number(rate_));
            return true;
        }
        case SdrSourceKind::RtlTcp: {
            std::string host;
            std::uint16_t port = 0;
            if (!ParseHostPort(s.address, host, port, &error)) {
                error = "rtl_tcp address: " + error;
                return false;
            }
            if (!(s.frequencyHz > 0.0 && s.frequencyHz <= std::numeric_limits<std::uint32_t>::max())) {
                error = "rtl_tcp tunes 1..4294967295 Hz: give the frequency the SDR is tuned to";
                return false;
            }
            const RtlTcpTuning tuning{static_cast<std::uint32_t>(std::llround(s.frequencyHz)),
                                      static_cast<std::uint32_t>(std::llround(s.rate)), s.gainDb, s.ppm};
            rtlTcp_ = std::make_unique<RtlTcpSource>(QString::fromStdString(host), port, tuning,
                                                     [this](std::span<const std::complex<float>> z) { Receive(z); });
            connect(rtlTcp_.get(), &RtlTcpSource::Status, this, &BlockInput::Status);
            // Nothing received before a lost link waits for the next one to be decoded.
            connect(rtlTcp_.get(), &RtlTcpSource::Interrupted, this, &IqInput::Drain);
            connect(rtlTcp_.get(), &RtlTcpSource::Refused, this, [this](const QString& reason) {
                Stop();
                emit Lost(reason);
            });
            rate_ = s.rate;
            description_ = QStringLiteral("rtl_tcp %1 %2").arg(rtlTcp_->Address(), tuned);
            return true;
        }
        case SdrSourceKind::Soapy: {
            if (!(s.frequencyHz > 0.0)) {
                error = "give the frequency the SDR is tuned to";
                return false;
            }
            soapy_ = SoapySdrSource::Open(s.device, {s.frequencyHz, s.rate, s.gainDb, s.ppm}, error);
            if (!soapy_) return false;
            rate_ = soapy_->SampleRate();
            description_ = QStringLiteral("SDR %1 %2").arg(QString::fromStdString(s.device), tuned);
            return true;
        }
    }
    return false;
}

bool IqInput::Start(std::string& error) {
    Stop();
    // The band must fit before a device is opened and tuned.
    if (settings_.source != SdrSourceKind::File) {
        if (const auto problem = IqReceiver::ProblemWith({settings_.rate, settings_.offsetHz, settings_.searchHz})) {
            error = *problem;
            return false;
        }
    }
    if (!OpenSource(error)) {
        Stop();
        return false;
    }
    const IqReceiverOptions options{rate_, settings_.offsetHz, settings_.searchHz};
    if (const auto problem = IqReceiver::ProblemWith(options)) {
        error = *problem;
        Stop();
        return false;
    }
    receiver_ = std::make_unique<IqReceiver>(options);
    // The demodulator's symbols carry the carrier's phase ambiguity: inverted syncs are data too.
    pipeline_.Adc().Path().SetAcceptInverted(true);
    startedMs_ = lastLockMs_ = LiveStreamReader::NowMs();
    fileSamplesRead_ = 0;
    lostSamples_ = 0;
    beaconReported_ = false;
    running_ = true;
    timer_.start();
    if (rtlTcp_) rtlTcp_->Start();
    return true;
}

void IqInput::Stop() {
    timer_.stop();
    rtlTcp_.reset();
    soapy_.reset();
    file_.reset();
    receiver_.reset();
    running_ = false;
}

void IqInput::Receive(std::span<const std::complex<float>> samples) {
    if (!running_) return;
    bytes_.clear();
    receiver_->Process(samples, bytes_);
    if (!bytes_.empty() && !flags_.serialInputSuspended) pipeline_.AdcSamples(bytes_);
}

void IqInput::Drain() {
    if (!running_) return;
    bytes_.clear();
    receiver_->Flush(bytes_);
    if (!bytes_.empty() && !flags_.serialInputSuspended) pipeline_.AdcSamples(bytes_);
}

void IqInput::Finish(const QString& reason) {
    Drain();
    timer_.stop();
    running_ = false;
    emit Ended(reason);
}

void IqInput::Poll() {
    if (!running_) return;
    if (file_) {
        // A recording plays at the pace of the air, as a live source would.
        if (!ReadDueSamples(*file_, rate_, startedMs_, fileSamplesRead_, samples_, [this](auto samples) { Receive(samples); }))
            return Finish(FileEndedText(QStringLiteral("IQ"), settings_.file, file_->Error()));
    }
    if (soapy_) {
        samples_.resize(65536);
        std::size_t got = 0;
        while (running_ && (got = soapy_->Take(samples_)) > 0) Receive({samples_.data(), got});
        const std::uint64_t lost = soapy_->TakeLostSamples();
        const std::uint64_t overflows = soapy_->TakeOverflows();
        if (lost > 0) {
            lostSamples_ += lost;
            emit Status(QStringLiteral("SDR overrun: %1 samples lost (%2 in all); the station fell behind the %3")
                            .arg(lost)
                            .arg(lostSamples_)
                            .arg(description_));
        }
        if (overflows > 0) emit Status(QStringLiteral("the SDR dropped samples (%1 overflows)").arg(overflows));
        if (const std::string error = soapy_->Error(); !error.empty()) {
            const QString reason = QString::fromStdString(error);
            Stop();
            emit Lost(reason);
            return;
        }
    }
    ReportBeacon();
}

void IqInput::ReportBeacon() {
    if (!receiver_) return;
    const std::int64_t now = LiveStreamReader::NowMs();
    const AudioDemodulator& demod = receiver_->Demodulator();
    if (demod.Locked()) {
        lastLockMs_ = now;
        if (!beaconReported_) {
            beaconReported_ = true;
            const double hz = receiver_->BeaconHz().value_or(settings_.offsetHz);
            emit Status(QStringLiteral("beacon found at %1 from the centre (%2 from the offset), Es/N0 %3 dB")
                            .arg(Signed(hz), Signed(hz - settings_.offsetHz))
                            .arg(demod.EsNoDb(), 0, 'f', 1));
        }
    } else if (beaconReported_ && now - lastLockMs_ >= kLostBeaconMs) {
        beaconReported_ = false;
        emit Status(QStringLiteral("beacon lost for %1 s; searching +-%2 Hz around %3")
                        .arg(kLostBeaconMs / 1000)
                        .arg(Number(settings_.searchHz), Signed(settings_.offsetHz)));
    }
}

}  // namespace orv
