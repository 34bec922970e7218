#pragma once
// The carrier phase of BPSK symbols estimated from the symbols on both sides of each one, with a
// smoothing that follows the phase noise it sees.
//
// Symbols come in with the carrier roughly removed (a residual frequency of a few hertz and any
// phase wander); each goes out kDelay symbols later, rotated so that its in-phase part carries the
// data. The reference of a symbol is half the angle of the weighted sum of the squared symbols
// around it (the square removes the modulation), itself left out, with weights falling
// exponentially either side. Several smoothings run side by side, from a few symbols (a free-running
// LNB, 3 Hz of phase noise) to a hundred (a clean carrier, where the longest averages the noise
// best); the one whose output has the least power in quadrature, averaged over about a second,
// is used: that is the one whose phase error is smallest. The reference is kept continuous from
// symbol to symbol (the square leaves a 180 degree ambiguity), which a differential detection
// behind it does not mind.
#include <array>
#include <complex>
#include <cstdint>
#include <optional>
#include <vector>

namespace orv {

class PhaseSmoother {
public:
    static constexpr int kDelay = 128;  // symbols
    static constexpr int kSmoothings = 4;

    PhaseSmoother();

    // Takes the next symbol; returns the one kDelay symbols back in its phase reference once
    // there is one.
    std::optional<std::complex<float>> Push(std::complex<float> symbol);
    // The symbols still held, each with the reference its neighbours so far give.
    void Drain(std::vector<std::complex<float>>& out);

    // How far the reference turned from the previous symbol out to the last one, rad: the
    // residual carrier frequency, for the frequency loop in front.
    double LastStep() const { return step_; }
    // The smoothing in use, 0 (shortest) .. kSmoothings - 1.
    int Choice() const { return choice_; }

private:
    static constexpr int kRing = 512;  // holds 2 kDelay + 1 symbols with room to spare

    struct Smoothing {
        double alpha = 0.0;
        int length = 0;                   // symbols used each side
        std::complex<double> past{};      // sum over the earlier symbols, kept running
        double alphaToLength = 0.0;       // alpha^(length + 1): the weight leaving the past sum
        double quadrature = 0.0;          // mean power in quadrature with this reference
        std::vector<double> weights;      // alpha^1 .. alpha^length
    };

    std::array<std::complex<float>, kRing> symbols_{};
    std::array<std::complex<double>, kRing> squares_{};
    std::array<Smoothing, kSmoothings> smoothings_;
    std::uint64_t count_ = 0;  // symbols taken
    int choice_ = kSmoothings - 1;
    double reference_ = 0.0;   // phase of the last symbol out, rad, continuous
    double step_ = 0.0;
};

}  // namespace orv
