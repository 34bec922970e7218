#include "iq/iq_receiver.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <stdexcept>

#include <liquid/liquid.h>

namespace orv {
namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;
constexpr int kWindow = CarrierSearch::kWindow;
constexpr std::size_t kChunk = 8192;        // input samples converted at once
constexpr double kDcCornerHz = 5.0;         // the DC blocker's corner: an rtl-sdr's spike is narrower
constexpr double kSignalHalfWidthHz = 1100.0;  // the Manchester spectrum's main lobe and first side lobe
constexpr double kDecimationStopDb = 60.0;
// The audio filter passes the beacon and the demodulator's search (+-1400 Hz) and stops what
// would fold onto them when the complex band becomes real audio (beyond +-2600 Hz).
constexpr double kAudioPassHz = 1400.0;
constexpr double kAudioStopHz = 2600.0;
constexpr double kRetuneHz = 100.0;         // a line this far from the tuning retunes an unlocked receiver
// While the demodulator holds the carrier, the mixer follows it in a second-order loop (a
// critically damped 0.05 rad/s): a drift at a steady rate leaves the demodulator a carrier that
// stands still. Slow against the demodulator's look-ahead of 1.3 s, which delays what it reports.
constexpr double kFollowGain = 0.1;          // per second, on the frequency error
constexpr double kFollowRateGain = 0.0025;   // per second squared, on the drift rate
constexpr std::size_t kTrackFixes = 1200;   // ten minutes of searches
// Unlocked, the drift rate is taken from the lines of the last searches (a demodulator cannot lock
// onto a carrier that runs away faster than its loop follows): at least kRateFixes of them within
// kRateSeconds, none further than kRateSpreadHz from their straight line.
constexpr std::size_t kRateFixes = 5;
constexpr double kRateSeconds = 4.5;
constexpr double kRateSpreadHz = 15.0;

// The slope of a straight line through (seconds, hz), Hz per second; nothing when the points do
// not lie on one.
std::optional<double> DriftRate(const std::deque<std::pair<double, double>>& fixes) {
    if (fixes.size() < kRateFixes) return std::nullopt;
    double st = 0, sf = 0, stt = 0, stf = 0;
    for (const auto& [t, f] : fixes) {
        st += t;
        sf += f;
        stt += t * t;
        stf += t * f;
    }
    const double n = static_cast<double>(fixes.size());
    const double denominator = n * stt - st * st;
    if (!(denominator > 0.0)) return std::nullopt;
    const double slope = (n * stf - st * sf) / denominator;
    const double intercept = (sf - slope * st) / n;
    for (const auto& [t, f] : fixes)
        if (std::abs(f - (intercept + slope * t)) > kRateSpreadHz) return std::nullopt;
    return slope;
}

double WideRateFor(double searchHz) {
    const double audio = IqReceiver::kAudioRate;
    return audio * std::max(3.0, std::ceil(4.0 * searchHz / audio));
}

std::string Whole(double hz) { return std::to_string(std::lround(hz)); }

}  // namespace

std::optional<std::string> IqReceiver::ProblemWith(const IqReceiverOptions& o) {
    if (!(o.sampleRate >= kMinRate && o.sampleRate <= kMaxRate))
        return "sample rate " + Whole(o.sampleRate) + " Hz is outside " + Whole(kMinRate) + ".." + Whole(kMaxRate) + " Hz";
    if (!(o.searchHz >= 100.0 && o.searchHz <= kMaxSearchHz))
        return "search range " + Whole(o.searchHz) + " Hz is outside 100.." + Whole(kMaxSearchHz) + " Hz";
    const double wide = WideRateFor(o.searchHz);
    if (o.sampleRate < wide)
        return "sample rate " + Whole(o.sampleRate) + " Hz is too low to search +-" + Whole(o.searchHz) + " Hz (it needs " +
               Whole(wide) + " Hz)";
    if (!std::isfinite(o.offsetHz) || std::abs(o.offsetHz) + o.searchHz + kSignalHalfWidthHz >= o.sampleRate / 2.0)
        return "offset " + Whole(o.offsetHz) + " Hz: the band searched (+-" + Whole(o.searchHz) +
               " Hz around it) does not fit within +-" + Whole(o.sampleRate / 2.0) + " Hz of the centre";
    return std::nullopt;
}

struct IqReceiver::Impl {
    explicit Impl(const IqReceiverOptions& o);
    ~Impl();

    void Process(std::span<const std::complex<float>> samples, std::vector<std::uint8_t>& out);
    void PushWide(std::complex<float> z);
    void Tune(std::complex<float> z);
    void SearchBeacon();
    void Retune(double hz);
    void Follow(double seconds);
    const std::array<std::complex<float>, kWindow>& Window();
    std::optional<double> BeaconHz() const;

    IqReceiverOptions options;
    double wideRate;
    int audioDecimation;

    // Input stage: DC removed, the band's centre mixed to 0 Hz, decimated to the wide rate.
    float dcGain;
    std::complex<float> dc{};
    bool dcPrimed = false;
    nco_crcf mixer = nco_crcf_create(LIQUID_NCO);
    msresamp_crcf decimator;
    std::vector<std::complex<float>> buffer = std::vector<std::complex<float>>(kChunk);
    std::vector<std::complex<float>> wide;

    // Look-ahead of the wide band: the search sees the newest kWindow samples, the tuner takes the oldest.
    std::vector<std::complex<float>> ring = std::vector<std::complex<float>>(kWindow);
    int head = 0;
    int held = 0;
    int sinceSearch = 0;
    std::uint64_t wideSamples = 0;
    std::array<std::complex<float>, kWindow> window{};
    CarrierSearch search;
    std::optional<double> lastFound;  // the last search's line, Hz from the band's centre
    std::deque<std::pair<double, double>> fixes;  // recent lines: seconds, Hz

    // The beacon mixed to 0 Hz, filtered and decimated to the audio rate, shifted to the audio
    // centre (a quarter of the audio rate: multiplying by j^k) and made real.
    bool tuned = false;
    double tuningHz = 0.0;
    double driftHzPerSecond = 0.0;  // the followed carrier's rate
    nco_crcf tuner = nco_crcf_create(LIQUID_NCO);
    firdecim_crcf audioFilter;
    std::vector<std::complex<float>> decimationInput;
    unsigned quarter = 0;
    std::vector<float> audio;
    AudioDemodulator demod;
    std::deque<BeaconFix> track;
};

IqReceiver::Impl::Impl(const IqReceiverOptions& o)
    : options(o),
      wideRate(WideRateFor(o.searchHz)),
      audioDecimation(static_cast<int>(std::lround(wideRate / kAudioRate))),
      dcGain(static_cast<float>(1.0 - std::exp(-kTwoPi * kDcCornerHz / o.sampleRate))),
      decimator(msresamp_crcf_create(static_cast<float>(wideRate / o.sampleRate), static_cast<float>(kDecimationStopDb))),
      search(wideRate, o.searchHz),
      demod(AudioDemodOptions{.sampleRate = kAudioRate, .centreHz = kAudioCentreHz, .searchHz = 300.0, .outputAmplitude = 64.0}) {
    nco_crcf_set_frequency(mixer, static_cast<float>(kTwoPi * o.offsetHz / o.sampleRate));
    wide.resize(static_cast<std::size_t>(std::ceil(kChunk * wideRate / o.sampleRate)) + 64);
    const float transition = static_cast<float>((kAudioStopHz - kAudioPassHz) / wideRate);
    const unsigned taps = estimate_req_filter_len(transition, static_cast<float>(kDecimationStopDb)) | 1U;
    std::vector<float> h(taps);
    liquid_firdes_kaiser(taps, static_cast<float>((kAudioPassHz + kAudioStopHz) / 2.0 / wideRate),
                         static_cast<float>(kDecimationStopDb), 0.0F, h.data());
    float sum = 0.0F;
    for (float t : h) sum += t;
    for (float& t : h) t /= sum;
    audioFilter = firdecim_crcf_create(static_cast<unsigned>(audioDecimation), h.data(), taps);
}

IqReceiver::Impl::~Impl() {
    nco_crcf_destroy(mixer);
    msresamp_crcf_destroy(decimator);
    nco_crcf_destroy(tuner);
    firdecim_crcf_destroy(audioFilter);
}

void IqReceiver::Impl::Process(std::span<const std::complex<float>> samples, std::vector<std::uint8_t>& out) {
    while (!samples.empty()) {
        const std::size_t n = std::min(kChunk, samples.size());
        if (!dcPrimed) {
            // The first samples' mean: the blocker starts settled instead of ringing for 30 ms.
            std::complex<double> sum;
            for (std::size_t i = 0; i < n; ++i) sum += std::complex<double>(samples[i]);
            dc = std::complex<float>(sum / static_cast<double>(n));
            dcPrimed = true;
        }
        for (std::size_t i = 0; i < n; ++i) {
            dc += dcGain * (samples[i] - dc);
            buffer[i] = samples[i] - dc;
        }
        if (options.offsetHz != 0.0) nco_crcf_mix_block_down(mixer, buffer.data(), buffer.data(), static_cast<unsigned>(n));
        unsigned produced = 0;
        msresamp_crcf_execute(decimator, buffer.data(), static_cast<unsigned>(n), wide.data(), &produced);
        for (unsigned i = 0; i < produced; ++i) PushWide(wide[i]);
        samples = samples.subspan(n);
        if (!audio.empty()) {
            demod.Process(audio, out);
            Follow(static_cast<double>(audio.size()) / kAudioRate);
            audio.clear();
        }
    }
}

void IqReceiver::Impl::PushWide(std::complex<float> z) {
    if (held == kWindow) Tune(ring[static_cast<std::size_t>(head)]);
    else ++held;
    ring[static_cast<std::size_t>(head)] = z;
    head = head + 1 == kWindow ? 0 : head + 1;
    ++wideSamples;
    if (held == kWindow && (sinceSearch == 0 || sinceSearch >= static_cast<int>(wideRate / 2.0))) {
        SearchBeacon();
        sinceSearch = 0;
    }
    ++sinceSearch;
}

const std::array<std::complex<float>, kWindow>& IqReceiver::Impl::Window() {
    const auto split = ring.begin() + head;
    std::copy(ring.begin(), split, std::copy(split, ring.end(), window.begin()));
    return window;
}

void IqReceiver::Impl::Retune(double hz) {
    tuningHz = std::clamp(hz, -options.searchHz, options.searchHz);
    tuned = true;
    nco_crcf_set_frequency(tuner, static_cast<float>(kTwoPi * tuningHz / wideRate));
}

void IqReceiver::Impl::SearchBeacon() {
    const double now = static_cast<double>(wideSamples) / wideRate;
    lastFound = search.Search(Window());
    if (lastFound) fixes.emplace_back(now, *lastFound);
    while (!fixes.empty() && fixes.front().first < now - kRateSeconds) fixes.pop_front();
    // Locked, the demodulator's carrier is followed (Follow). Unlocked, the mixer moves at the
    // rate the lines show, and a line elsewhere is the beacon, found anew or moved while lost.
    if (!demod.Locked()) {
        driftHzPerSecond = DriftRate(fixes).value_or(0.0);
        if (lastFound && (!tuned || std::abs(*lastFound - tuningHz) > kRetuneHz)) Retune(*lastFound);
    }
    if (const auto hz = BeaconHz()) {
        track.push_back({static_cast<double>(wideSamples) / wideRate, *hz, demod.Locked()});
        if (track.size() > kTrackFixes) track.pop_front();
    }
}

void IqReceiver::Impl::Follow(double seconds) {
    if (!tuned) return;
    if (!demod.Locked()) {
        Retune(tuningHz + driftHzPerSecond * seconds);
        return;
    }
    const double error = demod.CarrierHz() - kAudioCentreHz;
    driftHzPerSecond += kFollowRateGain * error * seconds;
    Retune(tuningHz + (driftHzPerSecond + kFollowGain * error) * seconds);
}

void IqReceiver::Impl::Tune(std::complex<float> z) {
    nco_crcf_mix_down(tuner, z, &z);
    nco_crcf_step(tuner);
    decimationInput.push_back(z);
    if (static_cast<int>(decimationInput.size()) < audioDecimation) return;
    std::complex<float> y;
    firdecim_crcf_execute(audioFilter, decimationInput.data(), &y);
    decimationInput.clear();
    // Up by a quarter of the audio rate: 1, j, -1, -j.
    static constexpr std::array<std::complex<float>, 4> kQuarter = {{{1, 0}, {0, 1}, {-1, 0}, {0, -1}}};
    audio.push_back((y * kQuarter[quarter]).real());
    quarter = (quarter + 1) & 3U;
}

std::optional<double> IqReceiver::Impl::BeaconHz() const {
    if (tuned && demod.Locked()) return options.offsetHz + tuningHz + (demod.CarrierHz() - kAudioCentreHz);
    if (lastFound) return options.offsetHz + *lastFound;
    return std::nullopt;
}

IqReceiver::IqReceiver(const IqReceiverOptions& options) : options_(options) {
    if (const auto problem = ProblemWith(options)) throw std::invalid_argument(*problem);
    impl_ = std::make_unique<Impl>(options);
}

IqReceiver::~IqReceiver() = default;

void IqReceiver::Process(std::span<const std::complex<float>> samples, std::vector<std::uint8_t>& out) {
    impl_->Process(samples, out);
}

void IqReceiver::Flush(std::vector<std::uint8_t>& out) {
    Impl& i = *impl_;
    const int start = i.held == kWindow ? i.head : 0;
    for (int k = 0; k < i.held; ++k) i.Tune(i.ring[static_cast<std::size_t>((start + k) % kWindow)]);
    i.held = 0;
    i.demod.Process(i.audio, out);
    i.audio.clear();
    i.demod.Flush(out);
}

double IqReceiver::WideRate() const { return impl_->wideRate; }
const AudioDemodulator& IqReceiver::Demodulator() const { return impl_->demod; }
AudioDemodulator& IqReceiver::Demodulator() { return impl_->demod; }
std::optional<double> IqReceiver::BeaconHz() const { return impl_->BeaconHz(); }
const std::deque<BeaconFix>& IqReceiver::Track() const { return impl_->track; }

AudioSpectrum IqReceiver::BandSpectrum(double spanHz) {
    if (impl_->held < kWindow) return {};
    return impl_->search.Spectrum(impl_->Window(), options_.offsetHz, std::min(spanHz, impl_->wideRate / 2.0));
}

}  // namespace orv
