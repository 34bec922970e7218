#pragma once
// Audio from a receiver tuned to the beacon: samples from a sound card, UDP, standard input or a
// file go through the software demodulator, and its ADC sample bytes go to the reception
// pipeline's ADC path. Live sources are read apart from the station's thread (a reading thread or
// the sound card's buffer) and drained every 50 ms; samples the station could not take in time
// are counted and reported, and a UDP stream that stops or comes back is reported once each.
#include <QString>
#include <QTimer>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "audio/audio_demodulator.h"
#include "audio/audio_settings.h"
#include "inputs/block_input.h"
#include "reception/station_state.h"

namespace orv {

class AudioSource;
class LiveStreamReader;
class ReceptionPipeline;
class SoundCardInput;

class AudioInput final : public BlockInput {
    Q_OBJECT
public:
    // While the DSP-93 load owns the modem (`flags`), what the demodulator makes is dropped.
    AudioInput(ReceptionPipeline& pipeline, const AudioSettings& settings, const ReceptionFlags& flags,
               QObject* parent = nullptr);
    ~AudioInput() override;

    // Opens the source and starts demodulating; false with `error` for the operator when the
    // source cannot be opened or the settings do not work (rate, centre frequency).
    bool Start(std::string& error) override;
    void Stop() override;
    bool Running() const override { return running_; }

    // What the source is, for status lines: "UDP port 7355 at 48000 Hz", "file x.wav", ...
    QString Description() const override { return description_; }
    // The running demodulator (for the picture of the signal), null when stopped.
    AudioDemodulator* Demodulator() { return demod_.get(); }
    std::uint64_t OverrunSamples() const { return overrunSamples_; }

    // Drains what the source has now (the timer does this every 50 ms).
    void Poll();

    // A UDP stream silent this long is reported.
    static constexpr int kSilenceMs = 5000;

private:
    void Demodulate(std::span<const float> samples);
    void Finish(const QString& reason);
    void CheckLive();

    void Deliver();

    ReceptionPipeline& pipeline_;
    const ReceptionFlags& flags_;
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
