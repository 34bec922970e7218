#pragma once
// A software demodulator for tests and demonstrations: the raw ADC byte stream a telemetry
// demodulator in "ADC" mode would send for FEC frames and uncoded blocks, one byte per channel
// symbol, differentially encoded (a phase reversal sends a 1) with additive Gaussian noise.
#include <cstdint>
#include <random>
#include <span>
#include <vector>

#include "fec/soft_symbol.h"
#include "reception/block.h"

namespace orv {

struct AdcSynthOptions {
    // Channel symbol energy over noise density in dB, the measure the decoder's Eb/No figure
    // reports (it counts each channel symbol as a bit). Infinity (or any value that is not a
    // finite number): no noise.
    double ebNoDb = 10.0;
    double adcOffset = 128.0;  // ADC reading of a zero signal; the sample path expects 128
    double amplitude = 64.0;   // signal amplitude in ADC steps
    std::uint64_t seed = 1;    // the same seed gives the same bytes
};

// The channel bits (each 0 or 1) of an uncoded block on the air: the 32-bit block sync word, then
// the 514 bytes, most significant bit first (4144 bits).
std::vector<std::uint8_t> UncodedBlockBits(std::span<const std::uint8_t, kFullBlockBytes> block);

class AdcSynthesizer {
public:
    explicit AdcSynthesizer(const AdcSynthOptions& options);

    // One sample per bit (each 0 or 1) in order.
    void AppendBits(std::span<const std::uint8_t> bits, std::vector<std::uint8_t>& out);
    // The 5200 symbols of the FEC frame of `data` (FecEncodeFrame). The frame is rebuilt by the
    // receiving station into an A block whose bytes 256..511 are `data`.
    void AppendFecFrame(std::span<const std::uint8_t, kFecDataBytes> data, std::vector<std::uint8_t>& out);
    // The 32-bit block sync word, then the 514 bytes, most significant bit first (4144 symbols).
    void AppendUncodedBlock(std::span<const std::uint8_t, kFullBlockBytes> block, std::vector<std::uint8_t>& out);
    // `count` random symbols, as between transmissions.
    void AppendIdle(int count, std::vector<std::uint8_t>& out);

private:
    std::uint8_t Sample(unsigned bit);
    double Gaussian();

    double offset_;
    double amplitude_;
    double sigma_;  // 0 without noise
    std::mt19937_64 random_;
    double sign_ = 1.0;  // phase of the last symbol
    bool spareValid_ = false;
    double spare_ = 0.0;
};

}  // namespace orv
