#pragma once
// The beacon from complex samples of an SDR: the recording's or the stream's DC (an rtl-sdr's
// spike at its centre) removed; the band of +-searchHz around offsetHz mixed to 0 Hz and
// decimated in integer stages (liquid-dsp) to the wide rate, at least four times the search range;
// the beacon sought there by the square of the signal (CarrierSearch) on the newest 8192 samples
// every half second, the band held back a second beyond those, so a recording loses no symbol
// while a weak beacon is found; the
// beacon mixed to 0 Hz, filtered to the signal's width, decimated by 3 and handed as real audio
// (the carrier at a quarter of that audio rate) to the audio demodulator, whose bytes go on to
// the ADC path as audio's do.
//
// Drift: while the demodulator holds the carrier, the beacon's mixer follows it slowly (an LNB
// drifts a few Hz a second, the demodulator follows within its +-300 Hz); while it does not, a
// line found by a later search elsewhere in the band retunes the mixer at once.
#include <complex>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "audio/audio_demodulator.h"
#include "audio/carrier_search.h"

namespace orv {

struct IqReceiverOptions {
    double sampleRate = 1024000.0;  // complex samples per second, kMinRate..kMaxRate
    double offsetHz = 0.0;          // where the beacon is believed to be, relative to the centre
    double searchHz = 5000.0;       // it is sought this far either side, 100..kMaxSearchHz
};

// A point of the beacon's track, for a picture of its drift.
struct BeaconFix {
    double seconds = 0.0;  // input time of the search
    double hz = 0.0;       // relative to the centre
    bool locked = false;   // from the demodulator's carrier; else the search's line
};

class IqReceiver {
public:
    static constexpr double kMinRate = 32000.0;
    static constexpr double kMaxRate = 20e6;
    static constexpr double kMaxSearchHz = 50000.0;
    static constexpr double kMinAudioRate = 8000.0;  // the real audio handed to the demodulator is faster

    // What is wrong with `options` for the user (rate out of range, the band of offset +- search
    // +- the signal's width not inside the recording's band), or nothing.
    static std::optional<std::string> ProblemWith(const IqReceiverOptions& options);

    // Throws std::invalid_argument with ProblemWith's text for options that do not work.
    explicit IqReceiver(const IqReceiverOptions& options);
    ~IqReceiver();
    IqReceiver(const IqReceiver&) = delete;
    IqReceiver& operator=(const IqReceiver&) = delete;

    // Demodulates `samples` (full scale 1.0) and appends the ADC sample bytes of the symbols
    // completed so far to `out`, as AudioDemodulator::Process does.
    void Process(std::span<const std::complex<float>> samples, std::vector<std::uint8_t>& out);
    // End of the input, or a break in it: the look-aheads still held are demodulated. Samples
    // after it are taken as a new stream (the beacon's tuning is kept).
    void Flush(std::vector<std::uint8_t>& out);

    const IqReceiverOptions& Options() const { return options_; }
    // The decimated band's rate, complex samples per second: the input's divided by a whole number.
    double WideRate() const;

    // The audio demodulator inside: lock, Es/N0, symbols.
    const AudioDemodulator& Demodulator() const;
    AudioDemodulator& Demodulator();
    // Where the beacon is relative to the centre, Hz: the demodulator's carrier while it holds
    // it, else the last line the search found; nothing before the first.
    std::optional<double> BeaconHz() const;
    // The beacon's recent positions, oldest first (one per search, the last ten minutes).
    const std::deque<BeaconFix>& Track() const;
    // The power spectrum of the searched band, from offset - spanHz to offset + spanHz (Hz
    // relative to the centre); empty before the first 8192 samples of the band.
    AudioSpectrum BandSpectrum(double spanHz);

private:
    struct Impl;
    IqReceiverOptions options_;
    std::unique_ptr<Impl> impl_;
};

}  // namespace orv
