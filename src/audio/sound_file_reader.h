#pragma once
// Audio files through libsndfile: WAV, FLAC, Ogg/Vorbis and whatever else it reads; mono, or the
// left channel of a multi-channel file.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "audio/audio_source.h"

namespace orv {

class SoundFileReader final : public AudioSource {
public:
    // The file opened for reading, or nullptr with `error` set to a message naming the file: it
    // cannot be opened, it is not audio libsndfile knows, or its sample rate is out of range.
    static std::unique_ptr<SoundFileReader> Open(const std::string& path, std::string& error);
    ~SoundFileReader() override;

    double SampleRate() const override { return rate_; }
    std::size_t Read(std::span<float> out) override;
    const std::string& Error() const override { return error_; }

    int Channels() const { return channels_; }
    std::int64_t Frames() const { return frames_; }  // as the header says

private:
    SoundFileReader(void* file, std::string path, double rate, int channels, std::int64_t frames, bool shortData);

    void* file_;  // SNDFILE*
    std::string path_;
    double rate_;
    int channels_;
    std::int64_t frames_;
    bool shortData_;  // the header promised more data than the file holds
    std::int64_t read_ = 0;
    std::vector<float> interleaved_;
    std::string error_;
};

}  // namespace orv
