#include "audio/audio_synth.h"

#include <algorithm>
#include <numbers>

#include <liquid/liquid.h>

#include "fec/adc_synth.h"

namespace orv {
namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;
constexpr double kSsbLowHz = 300.0;
constexpr double kSsbHighHz = 2700.0;
constexpr unsigned kSsbOrder = 6;  // elliptic high and low pass: -60 dB about 100 Hz outside

double Amplitude(double db) { return std::isfinite(db) ? std::pow(10.0, db / 20.0) : 0.0; }

}  // namespace

// The receiver's SSB filter, when there is one.
struct AudioSynthesizer::Receiver {
    explicit Receiver(double rate)
        : high(iirfilt_rrrf_create_prototype(LIQUID_IIRDES_ELLIP, LIQUID_IIRDES_HIGHPASS, LIQUID_IIRDES_SOS, kSsbOrder,
                                             static_cast<float>(kSsbLowHz / rate), 0.0F, 0.5F, 60.0F)),
          low(iirfilt_rrrf_create_prototype(LIQUID_IIRDES_ELLIP, LIQUID_IIRDES_LOWPASS, LIQUID_IIRDES_SOS, kSsbOrder,
                                            static_cast<float>(kSsbHighHz / rate), 0.0F, 0.5F, 60.0F)) {}
    ~Receiver() {
        iirfilt_rrrf_destroy(high);
        iirfilt_rrrf_destroy(low);
    }
    double Filter(double x) {
        float y = 0.0F;
        iirfilt_rrrf_execute(high, static_cast<float>(x), &y);
        iirfilt_rrrf_execute(low, y, &y);
        return y;
    }
    iirfilt_rrrf high;
    iirfilt_rrrf low;
};

AudioSynthesizer::AudioSynthesizer(const AudioSynthOptions& options)
    : options_(options),
      amplitude_(std::pow(10.0, options.levelDbfs / 20.0)),  // the peak of a full-scale sine is 1
      symbolSeconds_(1.0 / (400.0 * (1.0 + options.clockPpm * 1e-6))),
      startSeconds_(options.startSymbol / 400.0 / (1.0 + options.clockPpm * 1e-6)),
      sampleSeconds_(1.0 / (options.sampleRate * (1.0 + options.soundCardPpm * 1e-6))),
      phaseNoiseStep_(std::sqrt(kTwoPi * std::max(options.phaseNoiseHz, 0.0) * sampleSeconds_)),
      random_(options.seed),
      impairments_(options.seed ^ 0x5DEECE66DULL) {
    // Es = (A^2 / 2) T and N0 = sigma^2 / (fs / 2), so sigma^2 = A^2 fs T / (4 Es/N0).
    sigma_ = std::isfinite(options.esNoDb)
                 ? amplitude_ * std::sqrt(options.sampleRate * symbolSeconds_ / (4.0 * std::pow(10.0, options.esNoDb / 10.0)))
                 : 0.0;
    if (options.ssbFilter) receiver_ = std::make_unique<Receiver>(options.sampleRate);
}

AudioSynthesizer::~AudioSynthesizer() = default;

double AudioSynthesizer::Gaussian(std::mt19937_64& random) {
    // Box-Muller on the 64-bit Mersenne twister, whose output the standard fixes.
    if (&random == &random_ && spareValid_) {
        spareValid_ = false;
        return spare_;
    }
    constexpr double kScale = 1.0 / 9007199254740992.0;  // 2^-53
    const double u1 = (static_cast<double>(random() >> 11) + 1.0) * kScale;
    const double u2 = static_cast<double>(random() >> 11) * kScale;
    const double r = std::sqrt(-2.0 * std::log(u1));
    if (&random == &random_) {
        spare_ = r * std::sin(kTwoPi * u2);
        spareValid_ = true;
    }
    return r * std::cos(kTwoPi * u2);
}

double AudioSynthesizer::Time() const { return static_cast<double>(sample_) * sampleSeconds_; }

double AudioSynthesizer::CarrierPhase(double t) {
    // The integral of the frequency: the start, the drift, the wander (zero at t = 0), the walk.
    double phase = kTwoPi * (options_.carrierHz * t + options_.driftHzPerSecond * t * t / 2.0);
    if (options_.wanderHz != 0.0 && options_.wanderSeconds > 0.0)
        phase += options_.wanderHz * options_.wanderSeconds * (1.0 - std::cos(kTwoPi * t / options_.wanderSeconds));
    if (phaseNoiseStep_ > 0.0) phaseNoise_ += phaseNoiseStep_ * Gaussian(impairments_);
    return phase + phaseNoise_;
}

void AudioSynthesizer::Emit(double beacon, double t, std::vector<float>& out) {
    // On the air and in the receiver.
    double x = beacon + (sigma_ > 0.0 ? sigma_ * Gaussian(random_) : 0.0);
    for (const AudioTone& tone : options_.tones)
        x += amplitude_ * Amplitude(tone.levelDb) * std::cos(kTwoPi * (options_.carrierHz + tone.offsetHz) * t);
    if (receiver_) x = receiver_->Filter(x);
    if (options_.agcPumpDb != 0.0) x *= std::pow(10.0, options_.agcPumpDb / 40.0 * std::sin(kTwoPi * options_.agcPumpHz * t));
    // In the audio wiring.
    if (std::isfinite(options_.humDb)) {
        const double hum = amplitude_ * Amplitude(options_.humDb);
        for (int k = 1; k <= options_.humHarmonics && k * options_.humHz < options_.sampleRate / 2.0; ++k)
            x += hum / k * std::sin(kTwoPi * k * options_.humHz * t);
    }
    x += amplitude_ / std::numbers::sqrt2 * Amplitude(options_.dcDb);
    // The sound card.
    if (t < startSeconds_) return;
    const double since = t - startSeconds_;
    for (const AudioGap& gap : options_.gaps)
        if (since >= gap.atSeconds && since < gap.atSeconds + gap.seconds) return;
    out.push_back(static_cast<float>(std::clamp(x, -1.0, 1.0)));
}

void AudioSynthesizer::AppendBits(std::span<const std::uint8_t> bits, std::vector<float>& out) {
    for (std::uint8_t bit : bits) {
        if (((bit & 1U) != 0) != options_.inverted) sign_ = -sign_;
        const double middle = symbolStart_ + symbolSeconds_ / 2.0;
        const double end = symbolStart_ + symbolSeconds_;
        for (;;) {
            const double t = Time();
            if (t >= end) break;
            ++sample_;
            const double half = t < middle ? sign_ : -sign_;
            Emit(amplitude_ * half * std::cos(CarrierPhase(t)), t, out);
        }
        symbolStart_ = end;
    }
}

void AudioSynthesizer::AppendFecFrame(std::span<const std::uint8_t, kFecDataBytes> data, std::vector<float>& out) {
    std::array<std::uint8_t, kFecFrameSymbols> frame;
    FecEncodeFrame(data, frame);
    AppendBits(frame, out);
}

void AudioSynthesizer::AppendUncodedBlock(std::span<const std::uint8_t, kFullBlockBytes> block, std::vector<float>& out) {
    AppendBits(UncodedBlockBits(block), out);
}

void AudioSynthesizer::AppendIdle(int count, std::vector<float>& out) {
    std::vector<std::uint8_t> bits(static_cast<std::size_t>(std::max(count, 0)));
    for (auto& b : bits) b = static_cast<std::uint8_t>(random_() >> 63);
    AppendBits(bits, out);
}

void AudioSynthesizer::AppendSilence(double seconds, std::vector<float>& out) {
    const double end = symbolStart_ + seconds;
    for (;;) {
        const double t = Time();
        if (t >= end) break;
        ++sample_;
        CarrierPhase(t);  // the oscillator runs on
        Emit(0.0, t, out);
    }
    symbolStart_ = end;
}

}  // namespace orv
