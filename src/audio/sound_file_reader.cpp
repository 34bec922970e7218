#include "audio/sound_file_reader.h"

#include <cmath>

#include <sndfile.h>

namespace orv {

std::string AudioRateProblem(double rate) {
    if (rate >= kMinAudioRate && rate <= kMaxAudioRate) return {};
    return "sample rate " + std::to_string(std::llround(rate)) + " Hz is outside 8000..192000 Hz";
}

std::unique_ptr<SoundFileReader> SoundFileReader::Open(const std::string& path, std::string& error) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr) {
        error = "\"" + path + "\" is not an audio file that can be read: " + sf_strerror(nullptr);
        return nullptr;
    }
    if (const std::string problem = AudioRateProblem(info.samplerate); !problem.empty()) {
        sf_close(file);
        error = "\"" + path + "\": " + problem;
        return nullptr;
    }
    // A WAV or AIFF header that promises more data than the file holds: libsndfile reads what
    // there is and notes "(should be N)" in its log; the user must hear that the file is cut.
    char log[4096] = {};
    sf_command(file, SFC_GET_LOG_INFO, log, sizeof log);
    const std::string text(log);
    const auto data = text.find("\ndata");
    const bool shortData = data != std::string::npos && text.find("(should be", data) < text.find('\n', data + 1);
    return std::unique_ptr<SoundFileReader>(
        new SoundFileReader(file, path, info.samplerate, info.channels, info.frames, shortData));
}

SoundFileReader::SoundFileReader(void* file, std::string path, double rate, int channels, std::int64_t frames, bool shortData)
    : file_(file), path_(std::move(path)), rate_(rate), channels_(channels), frames_(frames), shortData_(shortData) {}

SoundFileReader::~SoundFileReader() { sf_close(static_cast<SNDFILE*>(file_)); }

std::size_t SoundFileReader::Read(std::span<float> out) {
    if (!error_.empty() || out.empty()) return 0;
    auto* file = static_cast<SNDFILE*>(file_);
    interleaved_.resize(out.size() * static_cast<std::size_t>(channels_));
    const sf_count_t n = sf_readf_float(file, interleaved_.data(), static_cast<sf_count_t>(out.size()));
    for (sf_count_t i = 0; i < n; ++i) out[static_cast<std::size_t>(i)] = interleaved_[static_cast<std::size_t>(i * channels_)];
    read_ += n;
    if (n > 0) return static_cast<std::size_t>(n);
    // The end: a decoder error, fewer frames than the header announced, or a cut WAV file.
    if (sf_error(file) != SF_ERR_NO_ERROR)
        error_ = "\"" + path_ + "\": " + sf_strerror(file) + " after " + std::to_string(read_) + " samples";
    else if (shortData_ || (frames_ > 0 && read_ < frames_))
        error_ = "\"" + path_ + "\" is truncated: it ends after " + std::to_string(read_) + " samples";
    return 0;
}

}  // namespace orv
