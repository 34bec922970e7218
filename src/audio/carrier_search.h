#pragma once
// Carrier acquisition for the beacon's Manchester-coded BPSK on complex baseband samples, and the
// steady lines (spurs, other carriers, mains hum, DC) around it.
//
// What it takes: windows of kWindow complex samples at `basebandRate` samples per second, oldest
// first, any scale. The carrier is sought within +-rangeHz of the window's 0 Hz (rangeHz at most
// a quarter of the baseband rate, so that twice the offset stays inside the band). With 6400
// samples per second a window is 1.28 s (0.78 Hz per bin); at other rates the window keeps its 8192
// samples and the resolution scales with the rate.
//
// What it returns: the carrier offset in Hz from the window's 0 Hz, or nothing when no carrier
// stands clear of the noise; and the steady lines of the window (frequency in Hz from 0 Hz, power
// against the noise floor), those that are the beacon's own (see Lines) told apart from the rest.
//
// How: Manchester BPSK has no line at its carrier, but its square has one at twice the carrier
// offset. A steady tone squares to a line too, and its power lifts the floor the beacon's line is
// compared with, so the lines are taken out first: a window of the spectrum (sine window, whose
// square is a Hann window) is searched for bins standing far above the local median floor, those
// bins are zeroed, the rest is brought back to time, squared and transformed again, and the
// strongest line within twice the range must stand clear of the median of the squared spectrum.
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

// A steady line of the window.
struct SpectralLine {
    double hz = 0.0;         // offset from the window's 0 Hz
    double aboveFloorDb = 0.0;  // line power over the median noise power of one bin around it
    // Part of the beacon itself: a periodic run of data (a block of zeros, repeated bytes) puts
    // lines on the spectrum in pairs mirrored around the carrier, of about equal power; a tone
    // has no such partner. Only lines that are not the beacon's should be notched.
    bool ofTheSignal = false;
};

struct CarrierSearchResult {
    std::optional<double> carrierHz;  // offset of the carrier from 0 Hz
    std::vector<SpectralLine> lines;  // strongest first
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
    // nothing when no line stands out of the noise clearly enough. Steady tones and DC do not
    // count as a carrier.
    std::optional<double> Search(std::span<const std::complex<float>, kWindow> window);

    // Search and the window's steady lines. `knownCarrierHz`, the carrier being tracked, tells
    // the beacon's own lines from tones when this window alone finds no carrier.
    CarrierSearchResult Analyse(std::span<const std::complex<float>, kWindow> window,
                                std::optional<double> knownCarrierHz = std::nullopt);

    // The magnitude spectrum of `window` from centreHz - spanHz to centreHz + spanHz (the centre
    // is the audio frequency of the baseband's 0 Hz). `window` is scaled so that a full-scale
    // audio sine gives amplitude 0.5, as the mixer delivers it.
    AudioSpectrum Spectrum(std::span<const std::complex<float>, kWindow> window, double centreHz, double spanHz);

private:
    struct Fft;
    std::vector<SpectralLine> FindLines(std::vector<std::pair<int, int>>& extents);
    std::optional<double> SquaredLine();

    double rate_;
    double range_;
    std::vector<float> hann_;
    std::vector<float> sine_;
    std::unique_ptr<Fft> fft_;
};

}  // namespace orv
