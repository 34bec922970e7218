#pragma once
// Where audio samples come from: a file through libsndfile, or raw 16-bit samples from a stream.
#include <cstddef>
#include <span>
#include <string>

namespace orv {

inline constexpr double kMinAudioRate = 8000.0;    // Hz
inline constexpr double kMaxAudioRate = 192000.0;  // Hz

// The rate in Hz as the user should read it when it is outside kMinAudioRate..kMaxAudioRate,
// otherwise empty.
std::string AudioRateProblem(double rate);

class AudioSource {
public:
    virtual ~AudioSource() = default;
    virtual double SampleRate() const = 0;  // Hz
    // Reads up to out.size() mono samples (full scale +-1.0) into `out` and returns how many;
    // 0 at the end of the input or on a failure, which Error() then describes.
    virtual std::size_t Read(std::span<float> out) = 0;
    // Empty, or why the input ended early or could not be read.
    virtual const std::string& Error() const = 0;
};

}  // namespace orv
