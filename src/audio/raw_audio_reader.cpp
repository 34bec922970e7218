#include "audio/raw_audio_reader.h"

#include <cstdint>

namespace orv {

RawAudioReader::RawAudioReader(std::istream& in, double rate) : in_(in), rate_(rate) {}

std::size_t RawAudioReader::Read(std::span<float> out) {
    if (!error_.empty() || out.empty() || !in_) return 0;
    bytes_.resize(2 * out.size());
    in_.read(bytes_.data(), static_cast<std::streamsize>(bytes_.size()));
    const auto got = static_cast<std::size_t>(in_.gcount());
    if (in_.bad()) {
        error_ = "the raw audio stream could not be read";
        return 0;
    }
    const std::size_t samples = got / 2;
    for (std::size_t i = 0; i < samples; ++i) {
        const auto lo = static_cast<std::uint8_t>(bytes_[2 * i]);
        const auto hi = static_cast<std::uint8_t>(bytes_[2 * i + 1]);
        const auto value = static_cast<std::int16_t>(static_cast<std::uint16_t>(lo | (hi << 8)));
        out[i] = static_cast<float>(value) / 32768.0F;
    }
    // The stream ended inside a sample: say so rather than drop the byte unnoticed.
    if (got % 2 != 0) error_ = "the raw audio stream ends inside a sample (an odd number of bytes)";
    return samples;
}

}  // namespace orv
