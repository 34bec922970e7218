#pragma once
// A sound card through ALSA (on Debian also the way to PulseAudio and PipeWire, whose ALSA
// plugins appear as the devices "pulse" and "pipewire"): 16-bit mono (or the left channel) near
// 48 kHz, read by a thread of its own into a LiveSampleQueue. Samples the card recorded but
// nobody read in time (an ALSA overrun) are counted.
#include <QString>
#include <QStringList>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "audio/live_sample_queue.h"

typedef struct _snd_pcm snd_pcm_t;

namespace orv {

class SoundCardInput {
public:
    // The ALSA capture devices' names ("default", "hw:CARD=Device,DEV=0", "pulse", ...), as
    // --audio-device and Setup take them.
    static QStringList DeviceNames();

    // Opens `name` (empty: "default"): an ALSA device name or definition ("plughw:1,0"), or the
    // description of a listed device. Null with `error` set when there is no such device or it
    // cannot record 16-bit samples at 8 to 192 kHz.
    static std::unique_ptr<SoundCardInput> Open(const QString& name, std::string& error);
    ~SoundCardInput();
    SoundCardInput(const SoundCardInput&) = delete;
    SoundCardInput& operator=(const SoundCardInput&) = delete;

    double SampleRate() const { return rate_; }
    LiveSampleQueue& Queue() { return queue_; }
    // Samples the card recorded that never reached the queue (the reading thread fell behind).
    std::uint64_t LostSamples() const { return lost_.load(); }
    // Empty, or why recording stopped.
    QString Error() const;

private:
    SoundCardInput(snd_pcm_t* pcm, unsigned rate, unsigned channels);
    void Record();
    void Fail(const std::string& why);

    snd_pcm_t* pcm_;
    double rate_;
    unsigned channels_;
    LiveSampleQueue queue_;
    std::atomic<std::uint64_t> lost_{0};
    std::atomic<bool> stop_{false};
    mutable std::mutex errorMutex_;
    std::string error_;
    std::thread thread_;
};

}  // namespace orv
