#include "inputs/sound_card_input.h"

#include <alsa/asoundlib.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace orv {
namespace {

constexpr unsigned kWantedRate = 48000;
constexpr unsigned kPeriodUs = 20000;   // 20 ms a read
constexpr unsigned kBufferUs = 500000;  // half a second rides out a busy moment of the machine
constexpr int kWaitMs = 100;            // how soon the reading thread sees that it should stop

// ALSA prints its own complaints (a missing card in its configuration) on stderr; the station
// says what failed in its own words instead.
extern "C" void IgnoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

void QuietAlsa() {
    static const bool quiet = [] {
        snd_lib_error_set_handler(IgnoreAlsaError);
        return true;
    }();
    (void)quiet;
}

std::string Text(const char* s) { return s != nullptr ? std::string(s) : std::string(); }

struct Hint {
    std::string name;
    std::string description;  // its first line
};

// The PCM devices that can capture.
std::vector<Hint> CaptureHints() {
    QuietAlsa();
    std::vector<Hint> hints;
    void** list = nullptr;
    if (snd_device_name_hint(-1, "pcm", &list) < 0) return hints;
    for (void** h = list; *h != nullptr; ++h) {
        char* name = snd_device_name_get_hint(*h, "NAME");
        char* description = snd_device_name_get_hint(*h, "DESC");
        char* direction = snd_device_name_get_hint(*h, "IOID");
        std::string desc = Text(description);
        desc = desc.substr(0, desc.find('\n'));
        if (name != nullptr && (direction == nullptr || Text(direction) == "Input")) hints.push_back({name, desc});
        std::free(name);
        std::free(description);
        std::free(direction);
    }
    snd_device_name_free_hint(list);
    return hints;
}

// Sets the capture format on `pcm`: 16-bit interleaved, one channel or the fewest the device
// has, a rate near 48 kHz. Empty, or why not.
std::string Configure(snd_pcm_t* pcm, unsigned& rate, unsigned& channels) {
    snd_pcm_hw_params_t* hw = nullptr;
    snd_pcm_hw_params_alloca(&hw);
    if (snd_pcm_hw_params_any(pcm, hw) < 0) return "it offers no capture format";
    if (snd_pcm_hw_params_set_access(pcm, hw, SND_PCM_ACCESS_RW_INTERLEAVED) < 0 ||
        snd_pcm_hw_params_set_format(pcm, hw, SND_PCM_FORMAT_S16_LE) < 0)
        return "it cannot record 16-bit samples";
    channels = 1;
    if (snd_pcm_hw_params_set_channels_near(pcm, hw, &channels) < 0) return "it offers no channel count";
    rate = kWantedRate;
    int dir = 0;
    if (snd_pcm_hw_params_set_rate_near(pcm, hw, &rate, &dir) < 0 || rate < 8000 || rate > 192000)
        return "it cannot record at 8 to 192 kHz";
    unsigned bufferUs = kBufferUs;
    unsigned periodUs = kPeriodUs;
    snd_pcm_hw_params_set_buffer_time_near(pcm, hw, &bufferUs, &dir);
    snd_pcm_hw_params_set_period_time_near(pcm, hw, &periodUs, &dir);
    if (const int e = snd_pcm_hw_params(pcm, hw); e < 0) return std::string("it refused the format: ") + snd_strerror(e);
    return {};
}

}  // namespace

QStringList SoundCardInput::DeviceNames() {
    QStringList names;
    for (const Hint& h : CaptureHints()) names << QString::fromStdString(h.name);
    return names;
}

std::unique_ptr<SoundCardInput> SoundCardInput::Open(const QString& name, std::string& error) {
    QuietAlsa();
    const std::string wanted = name.isEmpty() ? std::string("default") : name.toStdString();
    snd_pcm_t* pcm = nullptr;
    int opened = snd_pcm_open(&pcm, wanted.c_str(), SND_PCM_STREAM_CAPTURE, SND_PCM_NONBLOCK);
    if (opened < 0) {
        // A device may also be named by its description, as the desktop's sound settings show it.
        for (const Hint& h : CaptureHints())
            if (!h.description.empty() && h.description == wanted) {
                opened = snd_pcm_open(&pcm, h.name.c_str(), SND_PCM_STREAM_CAPTURE, SND_PCM_NONBLOCK);
                break;
            }
    }
    if (opened < 0) {
        error = name.isEmpty() ? "there is no sound card input (" + std::string(snd_strerror(opened)) + ")"
                               : "there is no sound card input \"" + wanted + "\" (" + snd_strerror(opened) +
                                     "; orv-cli audio --list-devices lists them)";
        return nullptr;
    }
    unsigned rate = 0;
    unsigned channels = 0;
    if (const std::string problem = Configure(pcm, rate, channels); !problem.empty()) {
        snd_pcm_close(pcm);
        error = "the sound card \"" + wanted + "\" cannot be used: " + problem;
        return nullptr;
    }
    return std::unique_ptr<SoundCardInput>(new SoundCardInput(pcm, rate, channels));
}

SoundCardInput::SoundCardInput(snd_pcm_t* pcm, unsigned rate, unsigned channels)
    : pcm_(pcm), rate_(rate), channels_(channels), queue_(static_cast<std::size_t>(rate) * 10) {
    if (const int e = snd_pcm_start(pcm_); e < 0) {
        Fail(std::string("the sound card did not start recording: ") + snd_strerror(e));
        return;
    }
    thread_ = std::thread([this] { Record(); });
}

SoundCardInput::~SoundCardInput() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    snd_pcm_close(pcm_);
}

QString SoundCardInput::Error() const {
    const std::lock_guard lock(errorMutex_);
    return QString::fromStdString(error_);
}

void SoundCardInput::Fail(const std::string& why) {
    const std::lock_guard lock(errorMutex_);
    error_ = why;
}

void SoundCardInput::Record() {
    const snd_pcm_uframes_t piece = static_cast<snd_pcm_uframes_t>(rate_ * kPeriodUs / 1e6);
    std::vector<std::int16_t> frames(piece * channels_);
    std::vector<float> samples(piece);
    while (!stop_) {
        const int ready = snd_pcm_wait(pcm_, kWaitMs);
        if (ready == 0) continue;
        const snd_pcm_sframes_t got = ready < 0 ? ready : snd_pcm_readi(pcm_, frames.data(), piece);
        if (got == -EAGAIN) continue;
        if (got == -EPIPE || got == -ESTRPIPE) {
            // An overrun: the samples in the card's buffer and those since the overrun are lost.
            snd_pcm_status_t* status = nullptr;
            snd_pcm_status_alloca(&status);
            double since = 0.0;
            if (snd_pcm_status(pcm_, status) == 0) {
                snd_htimestamp_t now{}, at{};
                snd_pcm_status_get_htstamp(status, &now);
                snd_pcm_status_get_trigger_htstamp(status, &at);
                since = static_cast<double>(now.tv_sec - at.tv_sec) + static_cast<double>(now.tv_nsec - at.tv_nsec) * 1e-9;
            }
            snd_pcm_uframes_t buffer = 0;
            snd_pcm_uframes_t period = 0;
            snd_pcm_get_params(pcm_, &buffer, &period);
            lost_ += buffer + static_cast<std::uint64_t>(since > 0 ? since * rate_ : 0);
        }
        if (got < 0) {
            if (const int e = snd_pcm_recover(pcm_, static_cast<int>(got), 1); e < 0) {
                Fail(std::string("the sound card stopped recording: ") + snd_strerror(e));
                return;
            }
            snd_pcm_start(pcm_);  // capture starts again only when told
            continue;
        }
        for (snd_pcm_sframes_t i = 0; i < got; ++i) samples[static_cast<std::size_t>(i)] = frames[static_cast<std::size_t>(i) * channels_] / 32768.0f;
        queue_.Push(std::span<const float>(samples.data(), static_cast<std::size_t>(got)));
    }
}

}  // namespace orv
