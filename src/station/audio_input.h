#pragma once
// The station's audio input with modem type "Audio": samples from a sound card, UDP, standard
// input or a file go through the software demodulator, and its ADC sample bytes go to the
// station's ADC path. Live sources are read apart from the station's thread (a reading thread or
// the sound card's buffer) and drained every 50 ms; samples the station could not take in time
// are counted and reported, and a UDP stream that stops or comes back is reported once each.
#include <QObject>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "audio/audio_demodulator.h"
#include "audio/audio_settings.h"

namespace orv {

class AudioSource;
class LiveStreamReader;
class SoundCardInput;

class AudioInput : public QObject {
    Q_OBJECT
public:
    // `symbols` receives the demodulator's ADC sample bytes in order.
    explicit AudioInput(std::function<void(std::span<const std::uint8_t>)> symbols, QObject* parent = nullptr);
    ~AudioInput() override;

    // Opens the source and starts demodulating; false with `error` for the operator when the
    // source cannot be opened or the settings do not work (rate, centre frequency).
    bool Start(const AudioSettings& settings, std::string& error);
    void Stop();
    bool Running() const { return running_; }

    // What the source is, for status lines: "UDP port 7355 at 48000 Hz", "file x.wav", ...
    QString Description() const { return description_; }
    // The running demodulator (for the picture of the signal), null when stopped.
    AudioDemodulator* Demodulator() { return demod_.get(); }
    std::uint64_t OverrunSamples() const { return overrunSamples_; }

    // Drains what the source has now (the timer does this every 50 ms).
    void Poll();

    // A UDP stream silent this long is reported.
    static constexpr int kSilenceMs = 5000;

signals:
    // A status line for the operator: overruns, a stream that stopped or came back.
    void Status(const QString& text);
    // The source ended (end of the file or of standard input, a sound card error); the station
    // keeps running.
    void Ended(const QString& reason);

private:
    void Demodulate(std::span<const float> samples);
    void Finish(const QString& reason);
    void CheckLive();

    std::function<void(std::span<const std::uint8_t>)> symbols_;
    AudioSettings settings_;
    QString description_;
    std::unique_ptr<AudioDemodulator> demod_;
    std::unique_ptr<LiveStreamReader> stream_;
    std::unique_ptr<AudioSource> file_;
    std::unique_ptr<SoundCardInput> soundCard_;
    QTimer timer_;
    std::int64_t startedMs_ = 0;
    std::int64_t fileSamplesRead_ = 0;
    std::int64_t silentSinceMs_ = 0;  // when the reported silence began (the last data then)
    bool silenceReported_ = false;
    std::uint64_t overrunSamples_ = 0;
    bool running_ = false;
    std::vector<float> samples_;
    std::vector<std::uint8_t> bytes_;
};

}  // namespace orv
