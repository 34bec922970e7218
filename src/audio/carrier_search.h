#pragma once
// Carrier acquisition for the audio demodulator. Manchester-coded BPSK has no line at its carrier,
// but its square has one at twice the carrier offset: the square of the complex baseband is
// transformed over a window of 8192 samples (1.28 s at 6400 Hz) and the strongest line within
// twice the search range is taken. The same window gives the operator's magnitude spectrum.
#include <complex>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace orv {

// Power in dB (0 dB: a full-scale sine) over evenly spaced audio frequencies.
struct AudioSpectrum {
    double firstHz = 0.0;  // frequency of powerDb[0]
    double stepHz = 0.0;   // spacing of the bins
    std::vector<float> powerDb;
};

class CarrierSearch {
public:
    static constexpr int kWindow = 8192;  // baseband samples searched at once

    // `basebandRate` in Hz (complex samples per second), `rangeHz` the largest offset searched
    // either side of the centre (at most a quarter of the baseband rate).
    CarrierSearch(double basebandRate, double rangeHz);
    ~CarrierSearch();
    CarrierSearch(const CarrierSearch&) = delete;
    CarrierSearch& operator=(const CarrierSearch&) = delete;

    // The carrier offset in Hz found in `window` (kWindow baseband samples, oldest first), or
    // nothing when no line stands out of the noise clearly enough.
    std::optional<double> Search(std::span<const std::complex<float>, kWindow> window);

    // The magnitude spectrum of `window` from centreHz - spanHz to centreHz + spanHz (the centre
    // is the audio frequency of the baseband's 0 Hz). `window` is scaled so that a full-scale
    // audio sine gives amplitude 0.5, as the mixer delivers it.
    AudioSpectrum Spectrum(std::span<const std::complex<float>, kWindow> window, double centreHz, double spanHz);

private:
    struct Fft;
    double rate_;
    double range_;
    std::vector<float> hann_;
    std::unique_ptr<Fft> fft_;
};

}  // namespace orv
