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
constexpr double kBandMarginHz = 400.0;     // the decimation stages pass the band this far beyond the signal
constexpr unsigned kLargestStage = 8;       // stages decimate by at most this, unless by a larger prime
// The audio filter passes the beacon and the demodulator's search (+-1400 Hz) and stops what
// would fold onto them when the complex band becomes real audio (beyond a quarter of the audio
// rate less that).
constexpr double kAudioPassHz = 1400.0;
constexpr int kAudioDecimation = 3;
constexpr double kRetuneHz = 100.0;         // a line this far from the tuning retunes an unlocked receiver ...
constexpr double kConfirmHz = 30.0;         // ... when the search before found it this close too
// The band is held back this long beyond the search's window, so that a beacon found only in a
// later search of a recording (a weak one) is still tuned before its first symbol.
constexpr double kHoldSeconds = 1.0;
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

// The band needs at least this rate: the search reaches a quarter of it (CarrierSearch), and
// the audio a third of it is at least kMinAudioRate.
double LeastWideRate(double searchHz) { return std::max(kAudioDecimation * IqReceiver::kMinAudioRate, 4.0 * searchHz); }

// The whole decimation from the input rate to the band's: the largest that leaves the band at
// least its least rate.
unsigned Decimation(double rate, double searchHz) {
    return std::max(1U, static_cast<unsigned>(std::floor(rate / LeastWideRate(searchHz))));
}

// `total` as stage factors, largest first: its prime factors packed into stages of at most
// kLargestStage (a larger prime is a stage of its own). The first stage, at the highest rate,
// takes the most and has the widest transition, so it needs the fewest taps per sample.
std::vector<unsigned> StageFactors(unsigned total) {
    std::vector<unsigned> primes;
    for (unsigned p = 2; p * p <= total; ++p)
        while (total % p == 0) {
            primes.push_back(p);
            total /= p;
        }
    if (total > 1) primes.push_back(total);
    std::sort(primes.rbegin(), primes.rend());
    std::vector<unsigned> stages;
    for (unsigned p : primes) {
        if (!stages.empty() && stages.back() * p <= kLargestStage) stages.back() *= p;
        else stages.push_back(p);
    }
    return stages;
}

// Lowpass taps for liquid's decimators: pass +-passHz, stop from stopHz at `rate`, unity gain.
std::vector<float> LowpassTaps(double rate, double passHz, double stopHz) {
    const unsigned n = estimate_req_filter_len(static_cast<float>((stopHz - passHz) / rate), static_cast<float>(kDecimationStopDb)) | 1U;
    std::vector<float> h(n);
    liquid_firdes_kaiser(n, static_cast<float>((passHz + stopHz) / 2.0 / rate), static_cast<float>(kDecimationStopDb), 0.0F, h.data());
    float sum = 0.0F;
    for (float t : h) sum += t;
    for (float& t : h) t /= sum;
    return h;
}

// Mixes a block down by a fixed frequency at the input rate, the costliest step per sample: 16
// phasors side by side, each advanced by 16 samples' turn, so the loop vectorizes. The phasors are
// set afresh from a phase kept in double at every block, so float rounding never accumulates.
class Mixer {
public:
    Mixer(double hz, double rate) : step_(-kTwoPi * hz / rate) {}

    void MixDown(std::span<std::complex<float>> block) {
        std::array<float, kLanes> re, im;
        for (std::size_t k = 0; k < kLanes; ++k) {
            re[k] = static_cast<float>(std::cos(phase_ + step_ * static_cast<double>(k)));
            im[k] = static_cast<float>(std::sin(phase_ + step_ * static_cast<double>(k)));
        }
        const float turnRe = static_cast<float>(std::cos(step_ * kLanes));
        const float turnIm = static_cast<float>(std::sin(step_ * kLanes));
        float* x = reinterpret_cast<float*>(block.data());
        std::size_t i = 0;
        for (; i + kLanes <= block.size(); i += kLanes) {
            for (std::size_t k = 0; k < kLanes; ++k) {
                const float a = x[2 * (i + k)], b = x[2 * (i + k) + 1];
                x[2 * (i + k)] = a * re[k] - b * im[k];
                x[2 * (i + k) + 1] = a * im[k] + b * re[k];
                const float r = re[k] * turnRe - im[k] * turnIm;
                im[k] = re[k] * turnIm + im[k] * turnRe;
                re[k] = r;
            }
        }
        for (std::size_t k = 0; i < block.size(); ++i, ++k) block[i] *= std::complex<float>(re[k], im[k]);
        phase_ = std::remainder(phase_ + step_ * static_cast<double>(block.size()), kTwoPi);
    }

private:
    static constexpr std::size_t kLanes = 16;
    double step_;
    double phase_ = 0.0;
};

// One decimation stage; input that does not fill a whole output sample waits for the next call.
class DecimationStage {
public:
    DecimationStage(double rate, unsigned factor, double passHz) : factor_(factor) {
        // What folds onto the band after decimating must be stopped: from the output rate less the band.
        const std::vector<float> h = LowpassTaps(rate, passHz, rate / factor - passHz);
        filter_ = firdecim_crcf_create(factor, const_cast<float*>(h.data()), static_cast<unsigned>(h.size()));
    }
    ~DecimationStage() { firdecim_crcf_destroy(filter_); }
    DecimationStage(const DecimationStage&) = delete;
    DecimationStage& operator=(const DecimationStage&) = delete;

    // Appends the output of `in` to `out`.
    void Run(std::span<const std::complex<float>> in, std::vector<std::complex<float>>& out) {
        if (!pending_.empty()) {
            const std::size_t fill = std::min(in.size(), factor_ - pending_.size());
            pending_.insert(pending_.end(), in.begin(), in.begin() + static_cast<std::ptrdiff_t>(fill));
            in = in.subspan(fill);
            if (pending_.size() < factor_) return;
            out.emplace_back();
            firdecim_crcf_execute(filter_, pending_.data(), &out.back());
            pending_.clear();
        }
        const std::size_t blocks = in.size() / factor_;
        const std::size_t start = out.size();
        out.resize(start + blocks);
        if (blocks > 0)
            firdecim_crcf_execute_block(filter_, const_cast<std::complex<float>*>(in.data()), static_cast<unsigned>(blocks),
                                        out.data() + start);
        pending_.assign(in.begin() + static_cast<std::ptrdiff_t>(blocks * factor_), in.end());
    }

private:
    std::size_t factor_;
    firdecim_crcf filter_;
    std::vector<std::complex<float>> pending_;
};

std::string Whole(double hz) { return std::to_string(std::lround(hz)); }

}  // namespace

std::optional<std::string> IqReceiver::ProblemWith(const IqReceiverOptions& o) {
    if (!(o.sampleRate >= kMinRate && o.sampleRate <= kMaxRate))
        return "sample rate " + Whole(o.sampleRate) + " Hz is outside " + Whole(kMinRate) + ".." + Whole(kMaxRate) + " Hz";
    if (!(o.searchHz >= 100.0 && o.searchHz <= kMaxSearchHz))
        return "search range " + Whole(o.searchHz) + " Hz is outside 100.." + Whole(kMaxSearchHz) + " Hz";
    const double wide = LeastWideRate(o.searchHz);
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
    double audioRate;
    double audioCentreHz;

    // Input stage: DC removed, the band's centre mixed to 0 Hz, decimated to the wide rate.
    float dcGain;
    std::complex<float> dc{};
    bool dcPrimed = false;
    Mixer mixer;
    std::vector<std::unique_ptr<DecimationStage>> stages;
    std::vector<std::complex<float>> buffer = std::vector<std::complex<float>>(kChunk);
    std::vector<std::complex<float>> stageOutput[2];

    // Look-ahead of the wide band: the search sees the newest kWindow samples, the tuner takes the
    // oldest, kHoldSeconds older than those.
    std::vector<std::complex<float>> ring;
    int head = 0;
    int held = 0;
    int sinceSearch = 0;
    std::uint64_t wideSamples = 0;
    std::array<std::complex<float>, kWindow> window{};
    CarrierSearch search;
    std::optional<double> lastFound;  // the last search's line, Hz from the band's centre
    std::optional<double> foundBefore;  // the line of the search before it
    std::deque<std::pair<double, double>> fixes;  // recent lines: seconds, Hz

    // The beacon mixed to 0 Hz, filtered and decimated by 3 to the audio rate, shifted to the
    // audio centre (a quarter of the audio rate: multiplying by j^k) and made real.
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
      wideRate(o.sampleRate / Decimation(o.sampleRate, o.searchHz)),
      audioRate(wideRate / kAudioDecimation),
      audioCentreHz(audioRate / 4.0),
      dcGain(static_cast<float>(1.0 - std::exp(-kTwoPi * kDcCornerHz / o.sampleRate))),
      mixer(o.offsetHz, o.sampleRate),
      search(wideRate, o.searchHz),
      demod(AudioDemodOptions{.sampleRate = audioRate, .centreHz = audioCentreHz, .searchHz = 300.0, .outputAmplitude = 64.0}) {
    ring.resize(static_cast<std::size_t>(kWindow + std::lround(kHoldSeconds * wideRate)));
    double rate = o.sampleRate;
    for (unsigned factor : StageFactors(Decimation(o.sampleRate, o.searchHz))) {
        stages.push_back(std::make_unique<DecimationStage>(rate, factor, o.searchHz + kSignalHalfWidthHz + kBandMarginHz));
        rate /= factor;
    }
    const std::vector<float> h = LowpassTaps(wideRate, kAudioPassHz, audioRate / 2.0 - kAudioPassHz);
    audioFilter = firdecim_crcf_create(kAudioDecimation, const_cast<float*>(h.data()), static_cast<unsigned>(h.size()));
}

IqReceiver::Impl::~Impl() {
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
        if (options.offsetHz != 0.0) mixer.MixDown(std::span(buffer.data(), n));
        std::span<const std::complex<float>> band(buffer.data(), n);
        for (std::size_t k = 0; k < stages.size(); ++k) {
            std::vector<std::complex<float>>& next = stageOutput[k % 2];
            next.clear();
            stages[k]->Run(band, next);
            band = next;
        }
        for (const std::complex<float> z : band) PushWide(z);
        samples = samples.subspan(n);
        if (!audio.empty()) {
            demod.Process(audio, out);
            Follow(static_cast<double>(audio.size()) / audioRate);
            audio.clear();
        }
    }
}

void IqReceiver::Impl::PushWide(std::complex<float> z) {
    const int size = static_cast<int>(ring.size());
    if (held == size) Tune(ring[static_cast<std::size_t>(head)]);
    else ++held;
    ring[static_cast<std::size_t>(head)] = z;
    head = head + 1 == size ? 0 : head + 1;
    ++wideSamples;
    if (held >= kWindow && (sinceSearch == 0 || sinceSearch >= static_cast<int>(wideRate / 2.0))) {
        SearchBeacon();
        sinceSearch = 0;
    }
    ++sinceSearch;
}

const std::array<std::complex<float>, kWindow>& IqReceiver::Impl::Window() {
    // The newest kWindow samples, oldest first: they end just before the write position.
    const int size = static_cast<int>(ring.size());
    const int start = (head - kWindow + size) % size;
    for (int k = 0; k < kWindow; ++k) window[static_cast<std::size_t>(k)] = ring[static_cast<std::size_t>((start + k) % size)];
    return window;
}

void IqReceiver::Impl::Retune(double hz) {
    tuningHz = std::clamp(hz, -options.searchHz, options.searchHz);
    tuned = true;
    nco_crcf_set_frequency(tuner, static_cast<float>(kTwoPi * tuningHz / wideRate));
}

void IqReceiver::Impl::SearchBeacon() {
    const double now = static_cast<double>(wideSamples) / wideRate;
    foundBefore = lastFound;
    lastFound = search.Search(Window());
    if (lastFound) fixes.emplace_back(now, *lastFound);
    while (!fixes.empty() && fixes.front().first < now - kRateSeconds) fixes.pop_front();
    // Locked, the demodulator's carrier is followed (Follow). Unlocked, the mixer moves at the
    // rate the lines show, and a line elsewhere found twice is the beacon, found anew or moved
    // while lost; a line of noise, found once, does not pull the mixer off a weak beacon.
    if (!demod.Locked()) {
        driftHzPerSecond = DriftRate(fixes).value_or(0.0);
        const bool confirmed = lastFound && foundBefore && std::abs(*lastFound - *foundBefore) <= kConfirmHz;
        if (lastFound && (!tuned || (confirmed && std::abs(*lastFound - tuningHz) > kRetuneHz))) Retune(*lastFound);
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
    const double error = demod.CarrierHz() - audioCentreHz;
    driftHzPerSecond += kFollowRateGain * error * seconds;
    Retune(tuningHz + (driftHzPerSecond + kFollowGain * error) * seconds);
}

void IqReceiver::Impl::Tune(std::complex<float> z) {
    nco_crcf_mix_down(tuner, z, &z);
    nco_crcf_step(tuner);
    decimationInput.push_back(z);
    if (static_cast<int>(decimationInput.size()) < kAudioDecimation) return;
    std::complex<float> y;
    firdecim_crcf_execute(audioFilter, decimationInput.data(), &y);
    decimationInput.clear();
    // Up by a quarter of the audio rate: 1, j, -1, -j.
    static constexpr std::array<std::complex<float>, 4> kQuarter = {{{1, 0}, {0, 1}, {-1, 0}, {0, -1}}};
    audio.push_back((y * kQuarter[quarter]).real());
    quarter = (quarter + 1) & 3U;
}

std::optional<double> IqReceiver::Impl::BeaconHz() const {
    // The demodulator's carrier is that of the band held back; carried forward to the newest
    // samples at the followed rate, it is where the search would find the beacon now.
    if (tuned && demod.Locked())
        return options.offsetHz + tuningHz + (demod.CarrierHz() - audioCentreHz) + driftHzPerSecond * held / wideRate;
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
    const int size = static_cast<int>(i.ring.size());
    const int start = i.held == size ? i.head : 0;
    for (int k = 0; k < i.held; ++k) i.Tune(i.ring[static_cast<std::size_t>((start + k) % size)]);
    i.held = 0;
    i.head = 0;
    i.sinceSearch = 0;
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
