#pragma once
// The software demodulator: audio samples of the 400-baud differential Manchester BPSK signal
// in, the ADC sample stream out, one byte per channel symbol as a DSP-93 in ADC mode sends it.
//
// What one byte is: the real part of the Manchester matched-filter output of one symbol, taken
// at the recovered symbol time in the phase reference of the recovered carrier, as offset binary
// (128 + value), scaled so that the signal amplitude is `outputAmplitude` ADC steps. The carrier
// loop leaves a 180 degree ambiguity, so the bytes carry the symbols' phase (+ or -), not yet the
// channel bits; the ADC sample path's differential detection turns consecutive bytes into bits
// (a reversal is a 1), which both resolves the ambiguity and keeps that path unchanged.
//
// Inside, at 6400 complex samples per second after mixing the centre frequency to 0 Hz (audio DC
// blocked first): carrier acquisition over +-searchHz (CarrierSearch, which also finds steady
// tones) on a look-ahead of 1.28 s, so a recording loses no symbol while the carrier is found and
// a tone is notched before it reaches the tracker; notches on the tones; a half-symbol
// integrate-and-dump filter read at fractional times, with a symbol timing loop on the half
// symbols, which has no false lock (a timing loop on whole Manchester symbols has a stable false
// lock half a symbol off); the pairing of half symbols into symbols by energy; the carrier phase
// of each symbol from the symbols on both sides (PhaseSmoother, 0.32 s more delay), with a
// frequency loop behind it. No state depends on the level, so silence, a clean signal and samples
// at full scale are ordinary input, and samples that are not numbers count as silence.
#include <complex>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "audio/carrier_search.h"

namespace orv {

struct AudioDemodOptions {
    double sampleRate = 48000.0;    // input samples per second, 8000..192000
    double centreHz = 1500.0;       // audio frequency where the carrier is expected
    double searchHz = 1000.0;       // the carrier is sought this far either side of the centre, 0..1500
    double outputAmplitude = 64.0;  // signal amplitude of the output bytes in ADC steps around 128
};

class AudioDemodulator {
public:
    static constexpr double kSymbolRate = 400.0;
    static constexpr int kBasebandRate = 6400;  // complex samples per second inside

    static constexpr double kMaxSearchHz = 1500.0;

    // What is wrong with `options` for the user (sample rate out of 8000..192000 Hz, search range
    // out of 0..1500 Hz, the signal around the centre or the search range around it not inside
    // 0..sampleRate/2), or nothing.
    static std::optional<std::string> ProblemWith(const AudioDemodOptions& options);

    // Throws std::invalid_argument with ProblemWith's text for options that do not work.
    explicit AudioDemodulator(const AudioDemodOptions& options);
    ~AudioDemodulator();
    AudioDemodulator(const AudioDemodulator&) = delete;
    AudioDemodulator& operator=(const AudioDemodulator&) = delete;

    // Demodulates `samples` (full scale +-1.0) and appends the ADC sample bytes of the symbols
    // completed so far to `out`, about 400 per second of audio, 1.6 s behind the input. Any
    // split of the input into calls gives the same bytes.
    void Process(std::span<const float> samples, std::vector<std::uint8_t>& out);
    // End of the input: demodulates the look-ahead still held and appends its bytes. The figures
    // below stay those of the input just ended; the next Process starts over as new.
    void Flush(std::vector<std::uint8_t>& out);

    const AudioDemodOptions& Options() const { return options_; }

    // What an operator and a picture of the signal need.
    bool Locked() const;          // the carrier loop holds a BPSK signal
    double CarrierHz() const;     // audio frequency of the carrier being tracked
    double EsNoDb() const;        // Es/N0 per channel symbol estimated from the symbols, dB
    std::uint64_t Symbols() const;  // symbols delivered so far
    // Up to 256 recent symbols, oldest first, in the carrier's phase reference scaled to
    // amplitude 1 (a clean signal sits at +1 and -1 on the real axis): an eye or constellation.
    std::vector<std::complex<float>> RecentSymbols() const;
    // Audio frequencies of the steady tones being notched out (spurs, other carriers, hum).
    std::vector<double> NotchedHz() const;
    // The magnitude spectrum of the last 1.28 s of audio within spanHz of the centre frequency,
    // 0.78 Hz per bin; spanHz is at most 3200. Empty before 1.28 s of input.
    AudioSpectrum Spectrum(double spanHz);

private:
    struct Impl;
    AudioDemodOptions options_;
    std::unique_ptr<Impl> impl_;
    bool flushed_ = false;
};

}  // namespace orv
