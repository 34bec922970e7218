#include "inputs/audio_input.h"

#include <algorithm>

#include "audio/audio_source.h"
#include "pipeline/reception_pipeline.h"
#include "audio/live_stream_reader.h"
#include "audio/sound_file_reader.h"
#include "inputs/paced_file.h"
#include "inputs/sound_card_input.h"

namespace orv {
namespace {

constexpr int kPollMs = 50;
constexpr double kQueueSeconds = 10.0;  // what a live source may get ahead of the station

QString Hz(double hz) { return QString::number(hz, 'g', 8) + QStringLiteral(" Hz"); }

}  // namespace

AudioInput::AudioInput(ReceptionPipeline& pipeline, const AudioSettings& settings, const ReceptionFlags& flags,
                       QObject* parent)
    : BlockInput(parent), pipeline_(pipeline), flags_(flags), settings_(settings) {
    timer_.setInterval(kPollMs);
    connect(&timer_, &QTimer::timeout, this, &AudioInput::Poll);
}

AudioInput::~AudioInput() { Stop(); }

bool AudioInput::Start(std::string& error) {
    Stop();
    const AudioSettings& settings = settings_;
    double rate = settings.rate;
    switch (settings.source) {
        case AudioSourceKind::Udp:
        case AudioSourceKind::Stdin: {
            if (const std::string problem = AudioRateProblem(rate); !problem.empty()) {
                error = problem;
                return false;
            }
            if (settings.source == AudioSourceKind::Udp) {
                stream_ = LiveStreamReader::ListenUdp(settings.udpPort, error);
                if (!stream_) return false;
                description_ = QStringLiteral("UDP port %1 at %2").arg(stream_->Port()).arg(Hz(rate));
            } else {
                stream_ = LiveStreamReader::ReadStdin();
                description_ = QStringLiteral("standard input at %1").arg(Hz(rate));
            }
            break;
        }
        case AudioSourceKind::File: {
            auto file = SoundFileReader::Open(settings.file, error);
            if (!file) return false;
            rate = file->SampleRate();
            file_ = std::move(file);
            description_ = QStringLiteral("file %1 at %2").arg(QString::fromStdString(settings.file), Hz(rate));
            break;
        }
        case AudioSourceKind::Device: {
            soundCard_ = SoundCardInput::Open(QString::fromStdString(settings.device), error);
            if (!soundCard_) return false;
            rate = soundCard_->SampleRate();
            description_ = QStringLiteral("sound card %1 at %2")
                               .arg(settings.device.empty() ? QStringLiteral("(default)") : QString::fromStdString(settings.device), Hz(rate));
            break;
        }
    }
    AudioDemodOptions options;
    options.sampleRate = rate;
    options.centreHz = settings.centreHz;
    options.searchHz = settings.searchHz;
    if (const auto problem = AudioDemodulator::ProblemWith(options)) {
        error = *problem;
        Stop();
        return false;
    }
    demod_ = std::make_unique<AudioDemodulator>(options);
    // The demodulator's symbols carry the carrier's phase ambiguity: inverted syncs are data too.
    pipeline_.Adc().Path().SetAcceptInverted(true);
    if (stream_) stream_->Start(static_cast<std::size_t>(rate * kQueueSeconds));
    startedMs_ = silentSinceMs_ = LiveStreamReader::NowMs();
    fileSamplesRead_ = 0;
    silenceReported_ = false;
    overrunSamples_ = 0;
    running_ = true;
    timer_.start();
    return true;
}

void AudioInput::Stop() {
    timer_.stop();
    stream_.reset();
    file_.reset();
    soundCard_.reset();
    demod_.reset();
    running_ = false;
}

void AudioInput::Deliver() {
    if (!bytes_.empty() && !flags_.serialInputSuspended) pipeline_.AdcSamples(bytes_);
}

void AudioInput::Demodulate(std::span<const float> samples) {
    bytes_.clear();
    demod_->Process(samples, bytes_);
    Deliver();
}

void AudioInput::Finish(const QString& reason) {
    bytes_.clear();
    demod_->Flush(bytes_);
    Deliver();
    timer_.stop();
    running_ = false;
    emit Ended(reason);
}

void AudioInput::Poll() {
    if (!running_) return;
    if (file_) {
        // A file plays at the pace of the air, as a live source would.
        if (!ReadDueSamples(*file_, file_->SampleRate(), startedMs_, fileSamplesRead_, samples_,
                            [this](auto samples) { Demodulate(samples); }))
            return Finish(FileEndedText(QStringLiteral("audio"), settings_.file, file_->Error()));
        return;
    }
    LiveSampleQueue& queue = stream_ ? stream_->Queue() : soundCard_->Queue();
    samples_.resize(16384);
    std::size_t got = 0;
    while ((got = queue.Pop(samples_)) > 0) Demodulate({samples_.data(), got});
    CheckLive();
}

void AudioInput::CheckLive() {
    const LiveSampleQueue::Overruns overruns = stream_ ? stream_->Queue().TakeOverruns() : soundCard_->Queue().TakeOverruns();
    std::uint64_t lost = overruns.samples;
    if (soundCard_) {
        const std::uint64_t cardLost = soundCard_->LostSamples();
        if (cardLost > overrunSamples_) lost += cardLost - overrunSamples_;
    }
    if (lost > 0) {
        overrunSamples_ += lost;
        emit Status(QStringLiteral("audio overrun: %1 samples lost (%2 in all); the station fell behind the %3")
                        .arg(lost)
                        .arg(overrunSamples_)
                        .arg(description_));
    }
    if (soundCard_ && !soundCard_->Error().isEmpty()) return Finish(soundCard_->Error());
    if (!stream_) return;
    if (stream_->Ended()) {
        // What the reading thread pushed before it ended.
        std::size_t got = 0;
        while ((got = stream_->Queue().Pop(samples_)) > 0) Demodulate({samples_.data(), got});
        return Finish(QString::fromStdString(stream_->Error()));
    }
    // A stream that stops (the SDR program closed, the network gone) is said once, and again when
    // it comes back.
    const std::int64_t lastData = stream_->LastDataMs();
    const std::int64_t now = LiveStreamReader::NowMs();
    if (!silenceReported_ && now - std::max(lastData, startedMs_) >= kSilenceMs) {
        silenceReported_ = true;
        silentSinceMs_ = lastData;
        emit Status(QStringLiteral("no audio from %1 for %2 s").arg(description_).arg(kSilenceMs / 1000));
    } else if (silenceReported_ && lastData != silentSinceMs_) {
        silenceReported_ = false;
        emit Status(QStringLiteral("audio from %1 again").arg(description_));
    }
}

}  // namespace orv
