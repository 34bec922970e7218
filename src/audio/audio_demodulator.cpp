#include "audio/audio_demodulator.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <stdexcept>

#include <liquid/liquid.h>

#include "audio/phase_smoother.h"
#include "audio/tone_notches.h"

namespace orv {
namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;
constexpr int kHalfSymbol = AudioDemodulator::kBasebandRate / 800;  // baseband samples per half symbol (8)
constexpr int kSamplesPerSymbol = 2 * kHalfSymbol;
constexpr int kWindow = CarrierSearch::kWindow;
constexpr int kSearchHop = AudioDemodulator::kBasebandRate / 2;  // a search every 0.5 s ...
// ... and every 0.8 s while locked: a tone that starts is still notched before it leaves the
// 1.28 s look-ahead.
constexpr int kLockedSearchHop = AudioDemodulator::kBasebandRate * 4 / 5;
constexpr std::size_t kChunk = 2048;                             // input samples mixed at once
constexpr std::size_t kRecent = 256;
constexpr double kSignalHalfWidthHz = 1100.0;  // main lobe and first side lobe of the Manchester spectrum
constexpr float kLargestSample = 16.0F;        // beyond any audio; keeps squares and sums finite
constexpr double kDcBlockHz = 5.0;             // corner of the audio DC blocker
// Around the carrier the tracker passes the signal's first two lobes (1.6 kHz either side) and
// stops from about 2 kHz on: the audio's mirror image (twice the centre frequency away, as close
// as 2.2 kHz) and what the resampler lets fold over would otherwise reach the symbols.
constexpr unsigned kCarrierFilterTaps = 63;
constexpr float kCarrierFilterCutoff = 1400.0F / AudioDemodulator::kBasebandRate;

// Loop and averaging constants, chosen by the threshold measurements (bench/audio).
constexpr int kHalfSums = 64;                   // half-symbol sums kept for interpolation
constexpr double kTimingAcquireGain = 0.05;     // the same while it acquires: about 4 Hz
constexpr double kTimingAcquireRateGain = 0.0005;
constexpr int kTimingAcquireHalves = 400;       // half symbols acquiring at the start and after a slip
constexpr double kTimingSlipError = 0.25;       // a mean timing error this large: the timing slipped
constexpr double kTimingErrorAverage = 1.0 / 64.0;
constexpr double kTimingGain = 0.006;           // timing loop, per half symbol: about 1.5 Hz
constexpr double kTimingRateGain = 0.000007;     // ... and its integral part (the clock's rate)
constexpr double kTimingPowerAverage = 1.0 / 64.0;
constexpr double kLargestClockError = 0.002;    // symbol clock +-2000 ppm at most
constexpr double kFrequencyGain = 0.003;        // frequency loop, per symbol: 0.8 s
constexpr float kPairAverage = 1.0F / 32.0F;    // half-symbol pairing energies, per symbol
constexpr float kPairSwitch = 1.25F;            // the other pairing must be this much stronger
constexpr float kLevelAverage = 1.0F / 128.0F;  // signal and noise power for level and lock, per symbol
constexpr double kEsNoAverage = 1.0 / 512.0;   // ... for the Es/N0 shown
constexpr int kIsiSpan = 2;                     // neighbours each side whose leakage the Es/N0 leaves out
constexpr float kLockOn = 0.25F;                // (I^2 - Q^2) / (I^2 + Q^2) to declare lock
constexpr float kLockOff = 0.15F;               // ... and to lose it
constexpr double kRetuneHz = 25.0;              // a locked loop this far off the searched line ...
constexpr int kRetuneSearches = 2;              // ... in this many searches in a row is retuned
constexpr double kHighestEsNoDb = 60.0;         // shown for a signal without measurable noise
// The symbols hold this much less signal-to-noise than the channel sends (the band-limited
// half-symbol sums against an exact matched filter): the uncoded threshold lies 0.4 dB above the
// ideal receiver's, and the symbols read 0.4 dB low from 4 to 25 dB. The Es/N0 shown is the
// channel's.
constexpr double kFilterLossDb = 0.4;

// Es/N0 from the symbols in the carrier's reference. Noise is what the quadrature holds, signal
// what the in-phase part holds beyond it. Each symbol also carries a little of its neighbours:
// the filters' intersymbol interference, and the tail of the audio's own mirror image (a real
// signal's copy at minus the carrier frequency, whose far side lobes reach the carrier), which
// turns by twice the carrier's phase from symbol to symbol. Both are found by correlating with
// the neighbours' decisions, the mirror's in a frame turning with it, and left out of signal and
// noise, so that a clean signal reads high while the estimate stays unbiased in the noise, where
// those correlations vanish. The neighbours are correlated with what is left of the symbol once
// its own part is taken out: the symbol itself would leave a floor of its power over the
// averaging length in each correlation (-24 dB for four neighbours over 512 symbols).
class EsNoMeter {
public:
    // `mirrorTurn`: the mirror image's phase step from the previous symbol, radians.
    void Add(std::complex<float> s, double mirrorTurn) {
        history_[at_] = s;
        at_ = (at_ + 1) % history_.size();
        mirrorPhase_ = std::remainder(mirrorPhase_ + mirrorTurn, 2.0 * std::numbers::pi);
        mirrorSpread_ += kEsNoAverage * (std::polar(1.0, -2.0 * mirrorPhase_) - mirrorSpread_);
        // A mirror that hardly turns against the symbols is ordinary intersymbol interference.
        mirrorTurns_ = std::abs(std::remainder(mirrorTurn, 2.0 * std::numbers::pi)) > kStillMirror;
        if (++count_ < history_.size()) return;
        // The symbol in the middle, with the decisions on both sides of it.
        auto decision = [&](std::size_t j) { return history_[(at_ + j) % history_.size()].real() < 0.0F ? -1.0 : 1.0; };
        const std::complex<double> centre = history_[(at_ + kIsiSpan) % history_.size()];
        const std::complex<double> rest = centre - leak_[kIsiSpan].real() * decision(kIsiSpan);
        const std::complex<double> unturned = rest * std::polar(1.0, mirrorPhase_);
        powerI_ += kEsNoAverage * (centre.real() * centre.real() - powerI_);
        powerQ_ += kEsNoAverage * (centre.imag() * centre.imag() - powerQ_);
        for (std::size_t j = 0; j < history_.size(); ++j) {
            leak_[j] += kEsNoAverage * ((j == kIsiSpan ? centre : rest) * decision(j) - leak_[j]);
            mirror_[j] += kEsNoAverage * (unturned * decision(j) - mirror_[j]);
        }
    }
    double Db() const {
        double noise = powerQ_, isi = 0.0;
        for (std::size_t j = 0; j < leak_.size(); ++j) {
            noise -= leak_[j].imag() * leak_[j].imag();
            if (j != kIsiSpan) isi += leak_[j].real() * leak_[j].real();
            // The mirror's power splits between I and Q by the angles it took: evenly when it
            // turned through all of them, by its own angle when it only changed sign.
            if (mirrorTurns_) {
                const double uneven = 0.5 * std::real(mirror_[j] * mirror_[j] * mirrorSpread_);
                noise -= 0.5 * std::norm(mirror_[j]) - uneven;
                isi += 0.5 * std::norm(mirror_[j]) + uneven;
            }
        }
        const double signal = powerI_ - std::max(noise, 0.0) - isi;
        if (!(signal > 0.0)) return -99.0;
        if (!(noise > 0.0)) return kHighestEsNoDb;
        return std::min(kHighestEsNoDb, 10.0 * std::log10(signal / (2.0 * noise)) + kFilterLossDb);
    }

private:
    static constexpr double kStillMirror = 0.3;  // radians per symbol
    std::array<std::complex<float>, 2 * kIsiSpan + 1> history_{};
    std::size_t at_ = 0;
    std::size_t count_ = 0;
    double powerI_ = 0.0;
    double powerQ_ = 0.0;
    double mirrorPhase_ = 0.0;
    std::complex<double> mirrorSpread_{};  // mean of exp(-2j phase) over the symbols
    bool mirrorTurns_ = false;
    std::array<std::complex<double>, 2 * kIsiSpan + 1> leak_{};
    std::array<std::complex<double>, 2 * kIsiSpan + 1> mirror_{};
};

// Band-limited interpolation between samples: a windowed sinc over kInterpolationTaps samples
// around the point, reading p[0..kInterpolationTaps-1] with the point between p[taps/2 - 1] and
// p[taps/2], mu in 0..1 past the first of those.
constexpr int kInterpolationTaps = 8;
std::complex<float> Interpolate(const std::array<std::complex<float>, kInterpolationTaps>& p, double mu) {
    constexpr int kHalf = kInterpolationTaps / 2;
    if (mu < 1e-9) return p[kHalf - 1];
    const double sine = std::sin(std::numbers::pi * mu) / std::numbers::pi;
    std::complex<double> sum{};
    double weights = 0.0;
    for (int i = 0; i < kInterpolationTaps; ++i) {
        const double x = (i - (kHalf - 1)) - mu;  // distance of p[i] from the point, samples
        const double window = 0.42 + 0.5 * std::cos(std::numbers::pi * x / kHalf) + 0.08 * std::cos(2.0 * std::numbers::pi * x / kHalf);
        const double w = ((kHalf - 1 - i) % 2 == 0 ? 1.0 : -1.0) * sine / x * window;  // sinc(x) = sin(pi x) / (pi x)
        sum += w * std::complex<double>(p[static_cast<std::size_t>(i)]);
        weights += w;
    }
    return std::complex<float>(sum / weights);
}
}  // namespace

std::optional<std::string> AudioDemodulator::ProblemWith(const AudioDemodOptions& o) {
    if (!(o.sampleRate >= 8000.0 && o.sampleRate <= 192000.0))
        return "sample rate " + std::to_string(std::lround(o.sampleRate)) + " Hz is outside 8000..192000 Hz";
    if (!(o.searchHz >= 0.0 && o.searchHz <= kMaxSearchHz))
        return "search range " + std::to_string(std::lround(o.searchHz)) + " Hz is outside 0..1500 Hz";
    const double nyquist = o.sampleRate / 2.0;
    if (!(o.centreHz - kSignalHalfWidthHz > 0.0 && o.centreHz + kSignalHalfWidthHz < nyquist))
        return "centre frequency " + std::to_string(std::lround(o.centreHz)) +
               " Hz: the signal would not fit between 0 Hz and half the sample rate (" + std::to_string(std::lround(nyquist)) + " Hz)";
    if (!(o.centreHz - o.searchHz > 0.0 && o.centreHz + o.searchHz < nyquist))
        return "search range " + std::to_string(std::lround(o.searchHz)) + " Hz around " + std::to_string(std::lround(o.centreHz)) +
               " Hz goes beyond 0 Hz or half the sample rate (" + std::to_string(std::lround(nyquist)) + " Hz)";
    if (!(o.outputAmplitude > 0.0 && o.outputAmplitude <= 127.0)) return "output amplitude outside 0..127";
    return std::nullopt;
}

struct AudioDemodulator::Impl {
    explicit Impl(const AudioDemodOptions& o);
    ~Impl();

    void Process(std::span<const float> samples, std::vector<std::uint8_t>& out);
    void PushBaseband(std::complex<float> z, std::vector<std::uint8_t>& out);
    void Track(std::complex<float> z, std::vector<std::uint8_t>& out);
    std::complex<float> HalfSumAt(double at) const;
    void HalfSymbol(std::complex<float> h, std::vector<std::uint8_t>& out);
    void Symbol(std::complex<float> r, std::vector<std::uint8_t>& out);
    void Output(std::complex<float> s, std::vector<std::uint8_t>& out);
    void Flush(std::vector<std::uint8_t>& out);
    void SearchCarrier();
    const std::array<std::complex<float>, kWindow>& Window();
    double TrackedOffsetHz() const { return trackerStep * kBasebandRate / kTwoPi; }

    AudioDemodOptions options;
    // Input stage: audio DC blocked, the centre frequency mixed to 0 Hz, resampled to the baseband rate.
    double dcPole;
    double dcIn = 0.0;
    double dcOut = 0.0;
    nco_crcf mixer = nco_crcf_create(LIQUID_NCO);
    msresamp_crcf resampler;
    std::vector<std::complex<float>> input = std::vector<std::complex<float>>(kChunk);
    std::vector<std::complex<float>> mixed = std::vector<std::complex<float>>(kChunk);
    std::vector<std::complex<float>> baseband = std::vector<std::complex<float>>(kChunk + 64);

    // Look-ahead: the newest kWindow baseband samples; the tracker takes the oldest.
    std::vector<std::complex<float>> ring = std::vector<std::complex<float>>(kWindow);
    int head = 0;
    int held = 0;
    int sinceSearch = 0;
    std::array<std::complex<float>, kWindow> window{};
    CarrierSearch search;
    ToneNotches notches{kBasebandRate};
    std::optional<double> searchedHz;
    int disagreements = 0;

    // Tracker: carrier mixed off, half-symbol sums, symbol timing.
    // The carrier's phase and frequency (rad per sample) in double: the frequency loop's steps are
    // far below what a 32-bit phase accumulator resolves.
    double trackerPhase = 0.0;
    double trackerStep = 0.0;
    firfilt_crcf carrierFilter = firfilt_crcf_create_kaiser(kCarrierFilterTaps, kCarrierFilterCutoff, 60.0F, 0.0F);
    std::array<std::complex<float>, kHalfSymbol> lastSamples{};
    unsigned lastAt = 0;
    std::array<std::complex<float>, kHalfSums> halfSums{};  // by sample number
    std::int64_t sample = -1;                                // number of the newest half sum
    double strobe = kHalfSymbol;                             // sample time of the next half-symbol end
    double period = kHalfSymbol;                             // samples per half symbol
    double timingPower = 0.0;
    double timingError = 0.0;   // mean of the detector's output
    int acquiring = kTimingAcquireHalves;  // half symbols left with the wide loop
    std::complex<float> previousHalf{};
    unsigned halfCount = 0;
    std::array<float, 2> pairEnergy{};
    unsigned pairing = 0;

    // Carrier phase, levels, output.
    PhaseSmoother phase;
    float powerI = 0.0F;
    float powerQ = 0.0F;
    EsNoMeter esNo;
    bool locked = false;
    std::uint64_t symbols = 0;
    std::array<std::complex<float>, kRecent> recent{};
};

AudioDemodulator::Impl::Impl(const AudioDemodOptions& o)
    : options(o),
      dcPole(1.0 - kTwoPi * kDcBlockHz / o.sampleRate),
      resampler(msresamp_crcf_create(static_cast<float>(kBasebandRate / o.sampleRate), 60.0F)),
      search(kBasebandRate, o.searchHz) {
    nco_crcf_set_frequency(mixer, static_cast<float>(kTwoPi * o.centreHz / o.sampleRate));
}

AudioDemodulator::Impl::~Impl() {
    nco_crcf_destroy(mixer);
    msresamp_crcf_destroy(resampler);
    firfilt_crcf_destroy(carrierFilter);
}

void AudioDemodulator::Impl::Process(std::span<const float> samples, std::vector<std::uint8_t>& out) {
    while (!samples.empty()) {
        const std::size_t n = std::min(kChunk, samples.size());
        for (std::size_t i = 0; i < n; ++i) {
            const float x = std::isfinite(samples[i]) ? std::clamp(samples[i], -kLargestSample, kLargestSample) : 0.0F;
            dcOut = x - dcIn + dcPole * dcOut;
            dcIn = x;
            input[i] = static_cast<float>(dcOut);
        }
        nco_crcf_mix_block_down(mixer, input.data(), mixed.data(), static_cast<unsigned>(n));
        unsigned produced = 0;
        msresamp_crcf_execute(resampler, mixed.data(), static_cast<unsigned>(n), baseband.data(), &produced);
        for (unsigned i = 0; i < produced; ++i) PushBaseband(baseband[i], out);
        samples = samples.subspan(n);
    }
}

void AudioDemodulator::Impl::PushBaseband(std::complex<float> z, std::vector<std::uint8_t>& out) {
    if (held == kWindow) Track(ring[static_cast<std::size_t>(head)], out);
    else ++held;
    ring[static_cast<std::size_t>(head)] = z;
    head = head + 1 == kWindow ? 0 : head + 1;
    if (held == kWindow && (sinceSearch == 0 || sinceSearch >= (locked ? kLockedSearchHop : kSearchHop))) {
        SearchCarrier();
        sinceSearch = 0;
    }
    ++sinceSearch;
}

const std::array<std::complex<float>, kWindow>& AudioDemodulator::Impl::Window() {
    // Oldest first: from the write position to the end, then the start up to it.
    const auto split = ring.begin() + head;
    std::copy(ring.begin(), split, std::copy(split, ring.end(), window.begin()));
    return window;
}

void AudioDemodulator::Impl::SearchCarrier() {
    const CarrierSearchResult found = search.Analyse(Window(), locked ? std::optional(TrackedOffsetHz()) : std::nullopt);
    std::vector<double> tones;
    for (const SpectralLine& line : found.lines)
        if (!line.ofTheSignal) tones.push_back(line.hz);
    notches.Update(tones);
    searchedHz = found.carrierHz;
    if (!searchedHz) return;
    const bool far = std::abs(*searchedHz - TrackedOffsetHz()) > kRetuneHz;
    disagreements = locked && far ? disagreements + 1 : 0;
    if ((!locked && std::abs(*searchedHz - TrackedOffsetHz()) > 1.0) || disagreements >= kRetuneSearches) {
        trackerStep = kTwoPi * *searchedHz / kBasebandRate;
        disagreements = 0;
    }
}

std::complex<float> AudioDemodulator::Impl::HalfSumAt(double at) const {
    const auto whole = static_cast<std::int64_t>(std::floor(at));
    std::array<std::complex<float>, kInterpolationTaps> p;
    for (int i = 0; i < kInterpolationTaps; ++i)
        p[static_cast<std::size_t>(i)] = halfSums[static_cast<std::size_t>((whole - (kInterpolationTaps / 2 - 1) + i) & (kHalfSums - 1))];
    return Interpolate(p, at - static_cast<double>(whole));
}

void AudioDemodulator::Impl::Track(std::complex<float> z, std::vector<std::uint8_t>& out) {
    z = notches.Filter(z);
    z *= std::complex<float>(std::polar(1.0, -trackerPhase));
    trackerPhase = std::remainder(trackerPhase + trackerStep, kTwoPi);
    firfilt_crcf_push(carrierFilter, z);
    firfilt_crcf_execute(carrierFilter, &z);
    // The integral over the last half symbol, ending at this sample.
    lastSamples[lastAt] = z;
    lastAt = (lastAt + 1) % kHalfSymbol;
    std::complex<float> sum{};
    for (const auto& s : lastSamples) sum += s;
    ++sample;
    halfSums[static_cast<std::size_t>(sample & (kHalfSums - 1))] = sum;

    // Half-symbol ends at fractional sample times, read from the sums between them; a Gardner
    // detector on the sum midway between two ends steers them: at a sign change it is zero when
    // the ends are right.
    while (static_cast<double>(sample) >= std::floor(strobe) + kInterpolationTaps / 2) {
        const std::complex<float> h = HalfSumAt(strobe);
        const std::complex<float> middle = HalfSumAt(strobe - period / 2.0);
        timingPower += kTimingPowerAverage * (std::norm(h) - timingPower);
        double step = period;
        if (timingPower > 1e-30) {
            const double error = std::real(std::conj(middle) * (previousHalf - h)) / timingPower;
            // A gap in the samples moves the timing at once: the mean error shows it, and the wide
            // loop takes it up again quickly.
            timingError += kTimingErrorAverage * (error - timingError);
            if (std::abs(timingError) > kTimingSlipError) acquiring = kTimingAcquireHalves;
            const bool wide = acquiring > 0;
            if (wide) --acquiring;
            const double nominal = kHalfSymbol;
            period = std::clamp(period + (wide ? kTimingAcquireRateGain : kTimingRateGain) * error, nominal * (1.0 - kLargestClockError),
                                nominal * (1.0 + kLargestClockError));
            step = period + std::clamp((wide ? kTimingAcquireGain : kTimingGain) * error, -1.0, 1.0);
        }
        strobe += step;
        HalfSymbol(h, out);
    }
}

void AudioDemodulator::Impl::HalfSymbol(std::complex<float> h, std::vector<std::uint8_t>& out) {
    // A Manchester symbol is its first half minus its second. Which half symbols pair up shows in
    // the energy: the right pairing always meets a sign change, the wrong one only on 1 bits.
    const std::complex<float> candidate = 0.5F * (previousHalf - h);
    previousHalf = h;
    const unsigned parity = halfCount++ & 1U;
    pairEnergy[parity] += kPairAverage * (std::norm(candidate) - pairEnergy[parity]);
    if (pairEnergy[parity] > kPairSwitch * pairEnergy[pairing]) pairing = parity;
    if (parity == pairing) Symbol(candidate, out);
}

void AudioDemodulator::Impl::Symbol(std::complex<float> r, std::vector<std::uint8_t>& out) {
    if (const auto s = phase.Push(r)) Output(*s, out);
}

void AudioDemodulator::Impl::Output(std::complex<float> s, std::vector<std::uint8_t>& out) {
    // What is left of the carrier's frequency turns the reference: the frequency loop takes it out.
    trackerStep += kFrequencyGain * phase.LastStep() / kSamplesPerSymbol;

    // Signal power is what I holds beyond Q; Q holds only noise.
    const float i2 = s.real() * s.real(), q2 = s.imag() * s.imag();
    powerI += kLevelAverage * (i2 - powerI);
    powerQ += kLevelAverage * (q2 - powerQ);
    // The mirror image turns by twice the audio carrier's phase over a symbol.
    esNo.Add(s, 2.0 * kTwoPi * (options.centreHz + TrackedOffsetHz()) * 2.0 * period / kBasebandRate);
    const float total = powerI + powerQ;
    const float lock = total > 0.0F ? (powerI - powerQ) / total : 0.0F;
    locked = locked ? lock > kLockOff : lock > kLockOn;
    const float amplitude = std::max(std::sqrt(std::max(powerI - powerQ, 0.0F)), 0.5F * std::sqrt(total));

    const float scaled = amplitude > 0.0F ? s.real() / amplitude : 0.0F;
    const long byte = std::lround(128.0 + options.outputAmplitude * static_cast<double>(scaled));
    out.push_back(static_cast<std::uint8_t>(std::clamp(byte, 0L, 255L)));
    recent[symbols % kRecent] = amplitude > 0.0F ? s / amplitude : s;
    ++symbols;
}

void AudioDemodulator::Impl::Flush(std::vector<std::uint8_t>& out) {
    const int start = held == kWindow ? head : 0;
    for (int i = 0; i < held; ++i) Track(ring[static_cast<std::size_t>((start + i) % kWindow)], out);
    held = 0;
    std::vector<std::complex<float>> rest;
    phase.Drain(rest);
    for (const auto& s : rest) Output(s, out);
}

AudioDemodulator::AudioDemodulator(const AudioDemodOptions& options) : options_(options) {
    if (const auto problem = ProblemWith(options)) throw std::invalid_argument(*problem);
    impl_ = std::make_unique<Impl>(options);
}

AudioDemodulator::~AudioDemodulator() = default;

void AudioDemodulator::Process(std::span<const float> samples, std::vector<std::uint8_t>& out) {
    if (flushed_ && !samples.empty()) {
        impl_ = std::make_unique<Impl>(options_);  // a new input after a flush starts from scratch
        flushed_ = false;
    }
    impl_->Process(samples, out);
}

void AudioDemodulator::Flush(std::vector<std::uint8_t>& out) {
    if (flushed_) return;
    impl_->Flush(out);
    flushed_ = true;
}

bool AudioDemodulator::Locked() const { return impl_->locked; }

double AudioDemodulator::CarrierHz() const { return options_.centreHz + impl_->TrackedOffsetHz(); }

double AudioDemodulator::EsNoDb() const { return impl_->esNo.Db(); }

std::uint64_t AudioDemodulator::Symbols() const { return impl_->symbols; }

std::vector<std::complex<float>> AudioDemodulator::RecentSymbols() const {
    const std::uint64_t n = std::min<std::uint64_t>(impl_->symbols, kRecent);
    std::vector<std::complex<float>> v;
    v.reserve(n);
    for (std::uint64_t i = impl_->symbols - n; i < impl_->symbols; ++i) v.push_back(impl_->recent[i % kRecent]);
    return v;
}

std::vector<double> AudioDemodulator::NotchedHz() const {
    std::vector<double> hz = impl_->notches.Frequencies();
    for (double& f : hz) f += options_.centreHz;
    return hz;
}

AudioSpectrum AudioDemodulator::Spectrum(double spanHz) {
    if (impl_->held < kWindow) return {};
    return impl_->search.Spectrum(impl_->Window(), options_.centreHz, std::min(spanHz, kBasebandRate / 2.0));
}

}  // namespace orv
