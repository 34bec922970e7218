#include "audio/audio_demodulator.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <stdexcept>

#include <liquid/liquid.h>

namespace orv {
namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;
constexpr int kHalfSymbol = AudioDemodulator::kBasebandRate / 800;  // baseband samples per half symbol (8)
constexpr int kSamplesPerSymbol = 2 * kHalfSymbol;
constexpr int kWindow = CarrierSearch::kWindow;
constexpr int kSearchHop = AudioDemodulator::kBasebandRate / 2;  // a search every 0.5 s
constexpr std::size_t kChunk = 2048;                             // input samples mixed at once
constexpr std::size_t kRecent = 256;
constexpr double kSignalHalfWidthHz = 1100.0;  // main lobe and first side lobe of the Manchester spectrum
constexpr double kMaxSearchHz = 1000.0;

// Loop and averaging constants, chosen by the threshold measurements (bench/audio).
constexpr float kTimingLoopBandwidth = 0.01F;  // symsync loop, per half symbol
constexpr unsigned kTimingFilters = 32;         // interpolating filter bank of the timing loop
constexpr unsigned kTimingDelay = 4;            // half symbols
constexpr float kAgcBandwidth = 0.002F;         // per baseband sample
constexpr double kCarrierLoopHz = 5.0;          // noise bandwidth of the carrier loop
constexpr float kPairAverage = 1.0F / 32.0F;    // half-symbol pairing energies, per symbol
constexpr float kLevelAverage = 1.0F / 128.0F;  // signal and noise power, per symbol
constexpr float kPairSwitch = 1.25F;            // the other pairing must be this much stronger
constexpr float kLockOn = 0.25F;                // (I^2 - Q^2) / (I^2 + Q^2) to declare lock
constexpr float kLockOff = 0.15F;               // ... and to lose it
constexpr double kRetuneHz = 25.0;              // a locked loop this far off the searched line ...
constexpr int kRetuneSearches = 2;              // ... in this many searches in a row is retuned

}  // namespace

std::optional<std::string> AudioDemodulator::ProblemWith(const AudioDemodOptions& o) {
    if (!(o.sampleRate >= 8000.0 && o.sampleRate <= 192000.0))
        return "sample rate " + std::to_string(std::lround(o.sampleRate)) + " Hz is outside 8000..192000 Hz";
    if (!(o.searchHz >= 0.0 && o.searchHz <= kMaxSearchHz))
        return "search range " + std::to_string(std::lround(o.searchHz)) + " Hz is outside 0..1000 Hz";
    const double low = o.centreHz - o.searchHz - kSignalHalfWidthHz;
    const double high = o.centreHz + o.searchHz + kSignalHalfWidthHz;
    if (!(low > 0.0 && high < o.sampleRate / 2.0))
        return "centre frequency " + std::to_string(std::lround(o.centreHz)) +
               " Hz: the signal would not fit between 0 Hz and half the sample rate (" +
               std::to_string(std::lround(o.sampleRate / 2.0)) + " Hz)";
    if (!(o.outputAmplitude > 0.0 && o.outputAmplitude <= 127.0)) return "output amplitude outside 0..127";
    return std::nullopt;
}

struct AudioDemodulator::Impl {
    explicit Impl(const AudioDemodOptions& o);
    ~Impl();

    void Process(std::span<const float> samples, std::vector<std::uint8_t>& out);
    void PushBaseband(std::complex<float> z, std::vector<std::uint8_t>& out);
    void Track(std::complex<float> z, std::vector<std::uint8_t>& out);
    void HalfSymbol(std::complex<float> h, std::vector<std::uint8_t>& out);
    void Symbol(std::complex<float> r, std::vector<std::uint8_t>& out);
    void SearchCarrier();
    const std::array<std::complex<float>, kWindow>& Window();
    double TrackedOffsetHz() const { return nco_crcf_get_frequency(tracker) * kBasebandRate / kTwoPi; }

    AudioDemodOptions options;
    // Input stage: the centre frequency mixed to 0 Hz, resampled to the baseband rate.
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
    std::optional<double> searchedHz;
    int disagreements = 0;

    // Tracker.
    nco_crcf tracker = nco_crcf_create(LIQUID_NCO);
    firfilt_crcf halfFilter;  // integrate and dump over half a symbol
    agc_crcf agc = agc_crcf_create();
    symsync_crcf timing = symsync_crcf_create_kaiser(kHalfSymbol, kTimingDelay, 0.5F, kTimingFilters);
    std::complex<float> previousHalf{};
    unsigned halfCount = 0;
    std::array<float, 2> pairEnergy{};
    unsigned pairing = 0;
    float phaseGain = 0.0F;      // carrier loop, per symbol
    float frequencyGain = 0.0F;  // per symbol, applied per baseband sample
    float powerI = 0.0F;
    float powerQ = 0.0F;
    bool locked = false;
    std::uint64_t symbols = 0;
    std::array<std::complex<float>, kRecent> recent{};
};

AudioDemodulator::Impl::Impl(const AudioDemodOptions& o)
    : options(o),
      resampler(msresamp_crcf_create(static_cast<float>(kBasebandRate / o.sampleRate), 60.0F)),
      search(kBasebandRate, o.searchHz) {
    nco_crcf_set_frequency(mixer, static_cast<float>(kTwoPi * o.centreHz / o.sampleRate));
    std::array<float, kHalfSymbol> taps;
    taps.fill(1.0F / kHalfSymbol);
    halfFilter = firfilt_crcf_create(taps.data(), kHalfSymbol);
    agc_crcf_set_bandwidth(agc, kAgcBandwidth);
    symsync_crcf_set_lf_bw(timing, kTimingLoopBandwidth);
    // Second-order loop with damping 0.707 and noise bandwidth kCarrierLoopHz.
    const double zeta = 0.707;
    const double omega = 2.0 * kCarrierLoopHz / (zeta + 1.0 / (4.0 * zeta)) / kSymbolRate;  // rad per symbol
    phaseGain = static_cast<float>(2.0 * zeta * omega);
    frequencyGain = static_cast<float>(omega * omega);
}

AudioDemodulator::Impl::~Impl() {
    nco_crcf_destroy(mixer);
    msresamp_crcf_destroy(resampler);
    nco_crcf_destroy(tracker);
    firfilt_crcf_destroy(halfFilter);
    agc_crcf_destroy(agc);
    symsync_crcf_destroy(timing);
}

void AudioDemodulator::Impl::Process(std::span<const float> samples, std::vector<std::uint8_t>& out) {
    while (!samples.empty()) {
        const std::size_t n = std::min(kChunk, samples.size());
        for (std::size_t i = 0; i < n; ++i) input[i] = samples[i];
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
    if (held == kWindow && (sinceSearch == 0 || sinceSearch >= kSearchHop)) {
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
    searchedHz = search.Search(Window());
    if (!searchedHz) return;
    const bool far = std::abs(*searchedHz - TrackedOffsetHz()) > kRetuneHz;
    disagreements = locked && far ? disagreements + 1 : 0;
    if ((!locked && std::abs(*searchedHz - TrackedOffsetHz()) > 1.0) || disagreements >= kRetuneSearches) {
        nco_crcf_set_frequency(tracker, static_cast<float>(kTwoPi * *searchedHz / kBasebandRate));
        disagreements = 0;
    }
}

void AudioDemodulator::Impl::Track(std::complex<float> z, std::vector<std::uint8_t>& out) {
    nco_crcf_mix_down(tracker, z, &z);
    nco_crcf_step(tracker);
    firfilt_crcf_push(halfFilter, z);
    firfilt_crcf_execute(halfFilter, &z);
    agc_crcf_execute(agc, z, &z);
    std::array<std::complex<float>, 4> halves;
    unsigned n = 0;
    symsync_crcf_execute(timing, &z, 1, halves.data(), &n);
    for (unsigned i = 0; i < n; ++i) HalfSymbol(halves[i], out);
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
    // Decision-directed carrier loop: the phase of the symbol against the nearer of 0 and 180 degrees.
    const float error = std::atan2(r.imag() * (r.real() < 0.0F ? -1.0F : 1.0F), std::abs(r.real()));
    nco_crcf_adjust_phase(tracker, phaseGain * error);
    nco_crcf_adjust_frequency(tracker, frequencyGain * error / kSamplesPerSymbol);

    // Signal power is what I holds beyond Q; Q holds only noise.
    powerI += kLevelAverage * (r.real() * r.real() - powerI);
    powerQ += kLevelAverage * (r.imag() * r.imag() - powerQ);
    const float total = powerI + powerQ;
    const float lock = total > 0.0F ? (powerI - powerQ) / total : 0.0F;
    locked = locked ? lock > kLockOff : lock > kLockOn;
    const float amplitude = std::max(std::sqrt(std::max(powerI - powerQ, 0.0F)), 0.5F * std::sqrt(total));

    const float scaled = amplitude > 0.0F ? r.real() / amplitude : 0.0F;
    const long byte = std::lround(128.0 + options.outputAmplitude * static_cast<double>(scaled));
    out.push_back(static_cast<std::uint8_t>(std::clamp(byte, 0L, 255L)));
    recent[symbols % kRecent] = amplitude > 0.0F ? r / amplitude : r;
    ++symbols;
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
    const int held = impl_->held;
    const int start = held == kWindow ? impl_->head : 0;
    for (int i = 0; i < held; ++i) impl_->Track(impl_->ring[static_cast<std::size_t>((start + i) % kWindow)], out);
    impl_->held = 0;
    flushed_ = true;
}

bool AudioDemodulator::Locked() const { return impl_->locked; }

double AudioDemodulator::CarrierHz() const { return options_.centreHz + impl_->TrackedOffsetHz(); }

double AudioDemodulator::EsNoDb() const {
    const double noise = impl_->powerQ;
    const double signal = impl_->powerI - impl_->powerQ;
    if (!(noise > 0.0) || !(signal > 0.0)) return -99.0;
    return 10.0 * std::log10(signal / (2.0 * noise));
}

std::uint64_t AudioDemodulator::Symbols() const { return impl_->symbols; }

std::vector<std::complex<float>> AudioDemodulator::RecentSymbols() const {
    const std::uint64_t n = std::min<std::uint64_t>(impl_->symbols, kRecent);
    std::vector<std::complex<float>> v;
    v.reserve(n);
    for (std::uint64_t i = impl_->symbols - n; i < impl_->symbols; ++i) v.push_back(impl_->recent[i % kRecent]);
    return v;
}

AudioSpectrum AudioDemodulator::Spectrum(double spanHz) {
    if (impl_->held < kWindow) return {};
    return impl_->search.Spectrum(impl_->Window(), options_.centreHz, std::min(spanHz, kBasebandRate / 2.0));
}

}  // namespace orv
