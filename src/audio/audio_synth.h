#pragma once
// Audio as a receiver would deliver it, for tests, benchmarks and demonstrations: FEC frames,
// uncoded blocks and idle symbols as 400-baud differential Manchester BPSK on an audio carrier
// (a channel bit 1 reverses the phase, each symbol is two halves of opposite sign), with white
// Gaussian noise over the whole band from 0 Hz to half the sample rate, and what real stations
// add to it: carrier phase noise and wander from the LNB, spurs and other carriers, the
// receiver's SSB filter and AGC, mains hum and DC from the sound card's wiring, the sound card's
// clock, stretches of samples lost on the way. With no noise and no impairment, the signal alone.
//
// The order is the receiver's: beacon, noise and tones are filtered and go through the AGC; hum
// and DC join in the audio after it; the sound card samples with its own clock and clips at
// full scale; dropped stretches never reach the output.
#include <cmath>
#include <cstdint>
#include <memory>
#include <random>
#include <span>
#include <vector>

#include "fec/fec_codec.h"
#include "reception/block.h"

namespace orv {

// A steady tone: a spur of the SDR or the LNB, or another carrier.
struct AudioTone {
    double offsetHz = 0.0;  // audio frequency: the carrier's at the start plus this
    double levelDb = 0.0;   // power against the beacon's
};

// A stretch of samples lost (a UDP datagram that never came): the time goes on, nothing is output.
struct AudioGap {
    double atSeconds = 0.0;  // from the start of the output
    double seconds = 0.0;
};

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

    double phaseNoiseHz = 0.0;       // carrier phase noise (a random walk) of this linewidth, Hz
    double wanderHz = 0.0;           // the carrier swings this far either side, sinusoidally ...
    double wanderSeconds = 60.0;     // ... in this period
    std::vector<AudioTone> tones;
    double humDb = -INFINITY;        // mains hum: its fundamental's power against the beacon's
    double humHz = 50.0;
    int humHarmonics = 1;            // harmonics 1..N of amplitude 1/k (those below half the rate)
    double dcDb = -INFINITY;         // DC offset: its power against the beacon's
    double agcPumpDb = 0.0;          // the receiver's gain swings this many dB peak to peak ...
    double agcPumpHz = 1.0;          // ... this often
    bool ssbFilter = false;          // the receiver's SSB filter, 300 to 2700 Hz
    double soundCardPpm = 0.0;       // the sound card's clock: +150 takes 150 ppm more samples per
                                     // second than its rate says; every frequency looks lower
    std::vector<AudioGap> gaps;
};

class AudioSynthesizer {
public:
    explicit AudioSynthesizer(const AudioSynthOptions& options);
    ~AudioSynthesizer();
    AudioSynthesizer(const AudioSynthesizer&) = delete;
    AudioSynthesizer& operator=(const AudioSynthesizer&) = delete;

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
    struct Receiver;
    double Time() const;
    double CarrierPhase(double t);
    void Emit(double beacon, double t, std::vector<float>& out);
    double Gaussian(std::mt19937_64& random);

    AudioSynthOptions options_;
    double amplitude_;      // carrier peak
    double sigma_;          // noise deviation per sample, 0 without noise
    double symbolSeconds_;  // with the clock error
    double startSeconds_;   // samples before this time are not output
    double sampleSeconds_;  // true time between samples, with the sound card's clock
    std::uint64_t sample_ = 0;    // next sample, counted from the start of the transmission
    double symbolStart_ = 0.0;    // time of the next symbol
    double sign_ = 1.0;           // phase of the last symbol
    double phaseNoise_ = 0.0;     // rad, the random walk so far
    double phaseNoiseStep_ = 0.0; // its deviation per sample
    std::mt19937_64 random_;      // data and noise
    std::mt19937_64 impairments_; // phase noise, apart so that the noise stays what the seed gives
    bool spareValid_ = false;
    double spare_ = 0.0;
    std::unique_ptr<Receiver> receiver_;
};

}  // namespace orv
