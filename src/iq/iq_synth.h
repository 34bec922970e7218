#pragma once
// IQ as an SDR would deliver the beacon, for tests, benchmarks and demonstrations: the audio
// synthesizer's channel bits and Manchester halves (its symbols at 0 Hz without noise) on a
// complex carrier off the centre, drifting as an LNB does, with complex white noise over the
// whole band and an rtl-sdr's DC spike at the centre.
#include <cmath>
#include <complex>
#include <cstdint>
#include <random>
#include <span>
#include <vector>

#include "audio/audio_synth.h"

namespace orv {

struct IqSynthOptions {
    double sampleRate = 1024000.0;   // complex samples per second
    double beaconHz = 0.0;           // the carrier at the start, relative to the centre
    double driftHzPerSecond = 0.0;   // the carrier moves this much per second
    double clockPpm = 0.0;           // symbol clock error
    // Es/N0 per channel symbol in dB against the noise over the whole band. Not a finite number:
    // no noise, and the carrier has the noise's level.
    double esNoDb = INFINITY;
    double noiseDbfs = -15.0;        // RMS of the complex noise against full scale (1.0)
    double dcLevel = 0.0;            // the DC spike's magnitude, full scale 1.0 (rtl-sdr: some 0.02)
    double startSymbol = 0.0;
    std::uint64_t seed = 1;
};

class IqSynthesizer {
public:
    explicit IqSynthesizer(const IqSynthOptions& options);

    void AppendBits(std::span<const std::uint8_t> bits, std::vector<std::complex<float>>& out);
    void AppendFecFrame(std::span<const std::uint8_t, kFecDataBytes> data, std::vector<std::complex<float>>& out);
    void AppendUncodedBlock(std::span<const std::uint8_t, kFullBlockBytes> block, std::vector<std::complex<float>>& out);
    void AppendIdle(int count, std::vector<std::complex<float>>& out);
    void AppendSilence(double seconds, std::vector<std::complex<float>>& out);

private:
    // The symbols' +-1 (0 in silence) on the carrier, with noise and the DC spike.
    void Modulate(std::span<const float> symbols, std::vector<std::complex<float>>& out);
    double Gaussian();

    IqSynthOptions options_;
    AudioSynthesizer symbols_;
    double amplitude_;
    double sigma_;  // per component
    std::uint64_t sample_ = 0;
    std::complex<double> carrier_{1.0, 0.0};  // e^(j phase) of the next sample
    std::complex<double> turn_{1.0, 0.0};     // the phase step to the sample after it
    std::complex<double> turnTurn_{1.0, 0.0}; // the step's own change: the drift
    std::complex<double> dc_;                 // the DC spike of the samples until the phasor is set again
    std::vector<float> baseband_;
    std::mt19937_64 random_;
    std::normal_distribution<double> normal_;
};

}  // namespace orv
