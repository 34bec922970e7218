#pragma once
// A sound card through Qt Multimedia: 16-bit mono (or the left channel) at the device's preferred
// rate, read as it arrives into a LiveSampleQueue. Samples the card delivered but the station never
// read in time show as the gap between the card's processed time and the samples received.
#include <QAudioSource>
#include <QObject>
#include <QStringList>
#include <memory>
#include <string>

#include "audio/live_sample_queue.h"

namespace orv {

class SoundCardInput : public QObject {
    Q_OBJECT
public:
    // The sound card input devices' names, as --audio-device and Setup take them.
    static QStringList DeviceNames();

    // Opens `name` (empty: the system's default input); null with `error` set when there is no
    // such device or it cannot record 16-bit samples.
    static std::unique_ptr<SoundCardInput> Open(const QString& name, std::string& error);
    ~SoundCardInput() override;

    double SampleRate() const { return rate_; }
    LiveSampleQueue& Queue() { return queue_; }
    // Samples the card recorded that never reached the queue (the station fell behind).
    std::uint64_t LostSamples() const;
    // Empty, or why recording stopped.
    QString Error() const { return error_; }

private:
    SoundCardInput(std::unique_ptr<QAudioSource> source, double rate, int channels);
    void ReadAvailable();

    std::unique_ptr<QAudioSource> source_;
    QIODevice* device_ = nullptr;
    double rate_;
    int channels_;
    LiveSampleQueue queue_;
    std::uint64_t received_ = 0;
    QString error_;
};

}  // namespace orv
