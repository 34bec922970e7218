#pragma once
// Narrow notches that take steady tones (spurs, other carriers, hum harmonics, DC) out of a
// complex baseband signal before it is demodulated. Each notch is two cascaded one-pole complex
// notches, +-2 Hz wide at -3 dB each: a tone known to 0.2 Hz loses 40 dB, while the beacon, spread
// over 1.6 kHz, loses about 0.03 dB per notch.
#include <complex>
#include <cstddef>
#include <span>
#include <vector>

namespace orv {

class ToneNotches {
public:
    static constexpr std::size_t kMaxNotches = 24;

    // `sampleRate` in complex samples per second.
    explicit ToneNotches(double sampleRate);

    // The tones found now, in Hz from 0 Hz, strongest first. A notch within 2 Hz of a tone takes
    // its frequency and keeps its state; a new tone gets a notch while there is room; a notch whose
    // tone was missing from two updates in a row goes.
    void Update(std::span<const double> toneHz);

    std::complex<float> Filter(std::complex<float> x);

    // The frequencies notched now, Hz.
    std::vector<double> Frequencies() const;

private:
    struct Notch {
        double hz = 0.0;
        std::complex<float> zero;  // e^(j w)
        std::complex<float> pole;  // r e^(j w)
        std::complex<float> x1[2]{};
        std::complex<float> y1[2]{};
        int missed = 0;
    };
    void Tune(Notch& n, double hz) const;

    double rate_;
    float radius_;
    std::vector<Notch> notches_;
};

}  // namespace orv
