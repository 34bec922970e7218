#include "audio/carrier_search.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

#include <liquid/liquid.h>

namespace orv {
namespace {

constexpr int kN = CarrierSearch::kWindow;
// The beacon's line in the squared spectrum must stand this far above the mean power of the
// searched bins (11.8 dB). The largest of some 5000 bins of pure noise exceeds it about once in
// 600 searches, and a false line is dropped again by the demodulator's lock detector.
constexpr float kDetectionRatio = 15.0F;
// A steady line stands this far above the mean noise power of one bin around it (13 dB): noise
// alone reaches it once in 500 million bins, and a tone this weak costs the demodulator under
// 0.1 dB at its thresholds.
constexpr float kLineRatio = 20.0F;
// A line's bins reach out while they stay this far above the floor (its window's skirt).
constexpr float kSkirtRatio = 2.0F;
constexpr int kMaxSkirtBins = 64;
// Bins whose median is their noise floor (25 Hz at 6400 Hz).
constexpr int kFloorBins = 32;
// The median of exponentially distributed powers is ln 2 times their mean.
constexpr float kMedianToMean = 1.0F / std::numbers::ln2_v<float>;
// The squaring passes the signal's main lobe (800 Hz either side of the carrier) at any offset
// in range.
constexpr double kSignalHalfWidthHz = 900.0;
// Mirrored lines of the beacon's data are of about equal power.
constexpr double kMirrorPowerDb = 6.0;
constexpr double kMirrorHz = 1.0;

int Wrap(int bin) { return (bin % kN + kN) % kN; }
int Signed(int bin) { return bin < kN / 2 ? bin : bin - kN; }

// Offset of the true peak from bin `c` by a parabola through the log powers of c - 1, c, c + 1.
double PeakShift(double left, double centre, double right) {
    const double l = std::log(left + 1e-30), c = std::log(centre + 1e-30), r = std::log(right + 1e-30);
    const double denominator = l - 2.0 * c + r;
    return denominator < 0.0 ? std::clamp(0.5 * (l - r) / denominator, -0.5, 0.5) : 0.0;
}

}  // namespace

struct CarrierSearch::Fft {
    std::vector<std::complex<float>> in = std::vector<std::complex<float>>(kN);
    std::vector<std::complex<float>> out = std::vector<std::complex<float>>(kN);
    fftplan forward = fft_create_plan(kN, in.data(), out.data(), LIQUID_FFT_FORWARD, 0);
    fftplan backward = fft_create_plan(kN, out.data(), in.data(), LIQUID_FFT_BACKWARD, 0);
    std::vector<float> power = std::vector<float>(kN);
    std::vector<float> floor = std::vector<float>(kN);
    ~Fft() {
        fft_destroy_plan(forward);
        fft_destroy_plan(backward);
    }
};

CarrierSearch::CarrierSearch(double basebandRate, double rangeHz)
    : rate_(basebandRate), range_(rangeHz), hann_(kN), sine_(kN), fft_(std::make_unique<Fft>()) {
    for (int i = 0; i < kN; ++i) {
        const double x = std::numbers::pi * (i + 0.5) / kN;
        hann_[static_cast<std::size_t>(i)] = static_cast<float>(std::sin(x) * std::sin(x));
        sine_[static_cast<std::size_t>(i)] = static_cast<float>(std::sin(x));
    }
}

CarrierSearch::~CarrierSearch() = default;

std::optional<double> CarrierSearch::Search(std::span<const std::complex<float>, kWindow> window) {
    return Analyse(window).carrierHz;
}

std::vector<SpectralLine> CarrierSearch::FindLines(std::vector<std::pair<int, int>>& extents) {
    Fft& f = *fft_;
    for (int k = 0; k < kN; ++k) f.power[static_cast<std::size_t>(k)] = std::norm(f.out[static_cast<std::size_t>(k)]);
    // The local noise floor: the median of the block of kFloorBins bins each bin is in, as a mean power.
    std::array<float, kFloorBins> block;
    for (int start = 0; start < kN; start += kFloorBins) {
        std::copy_n(f.power.begin() + start, kFloorBins, block.begin());
        std::nth_element(block.begin(), block.begin() + kFloorBins / 2, block.end());
        std::fill_n(f.floor.begin() + start, kFloorBins, block[kFloorBins / 2] * kMedianToMean);
    }
    auto p = [&](int k) { return f.power[static_cast<std::size_t>(Wrap(k))]; };
    auto floor = [&](int k) { return f.floor[static_cast<std::size_t>(Wrap(k))]; };
    auto stands = [&](int k) { return p(k) > kLineRatio * floor(k); };

    std::vector<SpectralLine> lines;
    const double binHz = rate_ / kN;
    // Start where no line stands, so that no line is cut at the wrap.
    int start = 0;
    while (start < kN && stands(start)) ++start;
    if (start == kN) return lines;  // nothing but lines: no floor to speak of
    for (int i = 1; i <= kN; ++i) {
        const int k = start + i;
        if (!stands(k)) continue;
        int end = k;
        while (end + 1 < start + kN && stands(end + 1)) ++end;
        int peak = k;
        for (int j = k; j <= end; ++j)
            if (p(j) > p(peak)) peak = j;
        int low = k, high = end;
        while (k - low < kMaxSkirtBins && p(low - 1) > kSkirtRatio * floor(low - 1)) --low;
        while (high - end < kMaxSkirtBins && p(high + 1) > kSkirtRatio * floor(high + 1)) ++high;
        extents.emplace_back(low - 1, high + 1);
        double sum = 0.0;
        for (int j = peak - 2; j <= peak + 2; ++j) sum += p(j);
        SpectralLine line;
        line.hz = (Signed(Wrap(peak)) + PeakShift(p(peak - 1), p(peak), p(peak + 1))) * binHz;
        line.aboveFloorDb = 10.0 * std::log10(sum / std::max(floor(peak), 1e-30F));
        lines.push_back(line);
        i = end - start;
    }
    std::sort(lines.begin(), lines.end(), [](const SpectralLine& a, const SpectralLine& b) { return a.aboveFloorDb > b.aboveFloorDb; });
    return lines;
}

std::optional<double> CarrierSearch::SquaredLine() {
    Fft& f = *fft_;
    // Bins of twice the offset, -2 range .. +2 range; negative frequencies wrap to the top.
    const double binHz = rate_ / kN;
    const int reach = std::min(kN / 2 - 2, static_cast<int>(std::ceil(2.0 * range_ / binHz)));
    auto power = [&](int bin) { return std::norm(f.out[static_cast<std::size_t>(Wrap(bin))]); };
    std::vector<float>& searched = f.floor;  // reused as scratch
    searched.clear();
    int best = 0;
    float bestPower = -1.0F;
    for (int bin = -reach; bin <= reach; ++bin) {
        const float q = power(bin);
        searched.push_back(q);
        if (q > bestPower) {
            bestPower = q;
            best = bin;
        }
    }
    const auto middle = searched.begin() + static_cast<std::ptrdiff_t>(searched.size() / 2);
    std::nth_element(searched.begin(), middle, searched.end());
    const float mean = *middle * kMedianToMean;
    searched.resize(kN);
    if (!(bestPower > kDetectionRatio * mean)) return std::nullopt;
    return (best + PeakShift(power(best - 1), bestPower, power(best + 1))) * binHz / 2.0;
}

CarrierSearchResult CarrierSearch::Analyse(std::span<const std::complex<float>, kWindow> window,
                                           std::optional<double> knownCarrierHz) {
    Fft& f = *fft_;
    for (int i = 0; i < kN; ++i) {
        const std::complex<float> x = window[static_cast<std::size_t>(i)];
        // Samples that are not numbers count as silence rather than spoiling the whole window.
        f.in[static_cast<std::size_t>(i)] = std::isfinite(x.real()) && std::isfinite(x.imag()) ? x * sine_[static_cast<std::size_t>(i)] : 0.0F;
    }
    fft_execute(f.forward);

    CarrierSearchResult result;
    std::vector<std::pair<int, int>> extents;
    result.lines = FindLines(extents);

    // Lines out, and everything beyond the signal's reach from any offset in range.
    for (const auto& [low, high] : extents)
        for (int k = low; k <= high; ++k) f.out[static_cast<std::size_t>(Wrap(k))] = 0.0F;
    const double binHz = rate_ / kN;
    const int pass = static_cast<int>(std::ceil((range_ + kSignalHalfWidthHz) / binHz));
    if (pass < kN / 2)
        for (int k = pass + 1; k < kN - pass; ++k) f.out[static_cast<std::size_t>(k)] = 0.0F;
    fft_execute(f.backward);
    // The square of the sine-windowed signal carries a Hann window.
    for (auto& x : f.in) x = x * x;
    fft_execute(f.forward);
    result.carrierHz = SquaredLine();

    // Lines in mirrored pairs of about equal power around the carrier are the beacon's data.
    if (const auto carrier = result.carrierHz ? result.carrierHz : knownCarrierHz) {
        const double tolerance = std::max(kMirrorHz, 2.0 * binHz);
        auto& lines = result.lines;
        for (std::size_t i = 0; i < lines.size(); ++i)
            for (std::size_t j = i + 1; j < lines.size(); ++j)
                if (std::abs(lines[i].hz + lines[j].hz - 2.0 * *carrier) <= tolerance &&
                    std::abs(lines[i].aboveFloorDb - lines[j].aboveFloorDb) <= kMirrorPowerDb &&
                    std::abs(lines[i].hz - *carrier) > tolerance)
                    lines[i].ofTheSignal = lines[j].ofTheSignal = true;
    }
    return result;
}

AudioSpectrum CarrierSearch::Spectrum(std::span<const std::complex<float>, kWindow> window, double centreHz, double spanHz) {
    Fft& f = *fft_;
    for (int i = 0; i < kN; ++i)
        f.in[static_cast<std::size_t>(i)] = window[static_cast<std::size_t>(i)] * hann_[static_cast<std::size_t>(i)];
    fft_execute(f.forward);
    const double binHz = rate_ / kN;
    const int reach = std::min(kN / 2 - 1, static_cast<int>(std::floor(spanHz / binHz)));
    AudioSpectrum s;
    s.firstHz = centreHz - reach * binHz;
    s.stepHz = binHz;
    s.powerDb.reserve(static_cast<std::size_t>(2 * reach + 1));
    // A full-scale sine arrives with amplitude 0.5; the Hann window sums to kWindow / 2.
    constexpr double kFullScale = 0.5 * kN / 2.0;
    for (int bin = -reach; bin <= reach; ++bin) {
        const double p = std::norm(f.out[static_cast<std::size_t>(Wrap(bin))]) / (kFullScale * kFullScale);
        s.powerDb.push_back(static_cast<float>(10.0 * std::log10(p + 1e-20)));
    }
    return s;
}

}  // namespace orv
