#pragma once
// Raw signed 16-bit little-endian mono samples from a stream, as SDR programs send audio; the
// sample rate is given, the stream has no header.
#include <array>
#include <istream>
#include <vector>

#include "audio/audio_source.h"

namespace orv {

class RawAudioReader final : public AudioSource {
public:
    // `in` must outlive the reader; `rate` in Hz, which must be within kMinAudioRate..kMaxAudioRate
    // (AudioRateProblem tells the user otherwise).
    RawAudioReader(std::istream& in, double rate);

    double SampleRate() const override { return rate_; }
    // Blocks until out.size() samples or the end of the stream arrived.
    std::size_t Read(std::span<float> out) override;
    const std::string& Error() const override { return error_; }

private:
    std::istream& in_;
    double rate_;
    std::vector<char> bytes_;
    std::string error_;
};

}  // namespace orv
