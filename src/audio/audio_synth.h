#pragma once
// Audio as a receiver would deliver it, for tests, benchmarks and demonstrations: FEC frames,
// uncoded blocks and idle symbols as 400-baud differential Manchester BPSK on an audio carrier
// (a channel bit 1 reverses the phase, each symbol is two halves of opposite sign), with white
// Gaussian noise over the whole band from 0 Hz to half the sample rate.
#include <cmath>
#include <cstdint>
#include <random>
#include <span>
#include <vector>

#include "fec/fec_codec.h"
#include "reception/block.h"

namespace orv {

struct AudioSynthOptions {
    double sampleRate = 48000.0;     // samples per second
    double carrierHz = 1500.0;       // carrier at the start of the output
    double driftHzPerSecond = 0.0;   // the carrier moves this much per second
    double clockPpm = 0.0;           // symbol clock error: +200 sends 400.08 symbols per second
    // Es/N0 per channel symbol in dB, noise white from 0 Hz to sampleRate / 2. Not a finite
    // number: no noise.
    double esNoDb = INFINITY;
    double levelDbfs = -12.0;        // carrier RMS against a full-scale sine; samples clip at +-1
    bool inverted = false;           // every channel bit sent inverted
    double startSymbol = 0.0;        // the output begins this many symbols into the transmission
    std::uint64_t seed = 1;          // the same seed gives the same samples
};

class AudioSynthesizer {
public:
    explicit AudioSynthesizer(const AudioSynthOptions& options);

    // One symbol per channel bit (each 0 or 1), in order.
    void AppendBits(std::span<const std::uint8_t> bits, std::vector<float>& out);
    // The 5200 symbols of the FEC frame of `data`.
    void AppendFecFrame(std::span<const std::uint8_t, kFecDataBytes> data, std::vector<float>& out);
    // The block sync word, then the 514 bytes (4144 symbols).
    void AppendUncodedBlock(std::span<const std::uint8_t, kFullBlockBytes> block, std::vector<float>& out);
    // `count` random symbols, as between transmissions.
    void AppendIdle(int count, std::vector<float>& out);
    // `seconds` of noise alone: the carrier is off. The next symbol starts after it.
    void AppendSilence(double seconds, std::vector<float>& out);

private:
    float Sample(double signal);
    double Gaussian();

    AudioSynthOptions options_;
    double amplitude_;      // carrier peak
    double sigma_;          // noise deviation per sample, 0 without noise
    double symbolSeconds_;  // with the clock error
    double startSeconds_;   // samples before this time are not output
    std::uint64_t sample_ = 0;    // next sample, counted from the start of the transmission
    double symbolStart_ = 0.0;    // time of the next symbol
    double sign_ = 1.0;           // phase of the last symbol
    std::mt19937_64 random_;
    bool spareValid_ = false;
    double spare_ = 0.0;
};

}  // namespace orv
