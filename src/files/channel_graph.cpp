#include "files/channel_graph.h"

#include "text/text_parse.h"

#include <cmath>
#include <cstdint>
#include <string_view>

#if defined(__linux__)
#include <sys/mman.h>
#endif

#include "text/number_text.h"
#include "files/telemetry_number.h"

namespace orv {
namespace {

constexpr std::size_t kMaAddress = 421;
constexpr std::size_t kOrbitLowAddress = 422;
constexpr std::size_t kOrbitHighAddress = 423;
constexpr std::uint8_t kPlainA = 0x41;

GraphOutcome Message(GraphOutcome out, std::string text) {
    out.message = std::move(text);
    return out;
}

// Raises the maximum and lowers the minimum to whole numbers whose span is a multiple of 4.
void StretchScale(float& maximum, float& minimum) {
    long long hi = static_cast<long long>(std::ceil(maximum));
    long long lo = static_cast<long long>(std::floor(minimum));
    if (hi == lo) {
        hi += 1;
        lo -= 1;
    }
    if ((hi - lo) % 4 != 0) hi += 1;
    if ((hi - lo) % 4 != 0) lo -= 1;
    if ((hi - lo) % 4 != 0) hi += 1;
    maximum = static_cast<float>(hi);
    minimum = static_cast<float>(lo);
}

// Makes room for n elements, in huge pages where the system gives them: a graph of a million
// blocks fills 12 MB that a fresh process would otherwise take in 3,000 page faults.
template <typename T>
void ReserveInHugePages(std::vector<T>& v, std::size_t n) {
    v.reserve(n);
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    constexpr std::uintptr_t kHugePage = 2 << 20;
    const auto begin = (reinterpret_cast<std::uintptr_t>(v.data()) + kHugePage - 1) / kHugePage * kHugePage;
    const auto end = reinterpret_cast<std::uintptr_t>(v.data() + n) / kHugePage * kHugePage;
    if (end > begin) ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);  // advice only
#endif
}

// The channel's values in records first..last (inclusive), read in one sequential pass. An
// empty `error` and false: a record that is not a plain A block; else the reason the file could
// not be read.
bool ReadChannelValues(const MappedLogFile& image, std::uint64_t first, std::uint64_t last, int address, bool raw,
                       std::vector<float>& values, std::string& error) {
    const auto p = static_cast<std::size_t>(address);
    ReserveInHugePages(values, static_cast<std::size_t>(last - first + 1));
    values.resize(static_cast<std::size_t>(last - first + 1));
    SequentialPass pass(image, first, last + 1);
    while (pass.Next()) {
        for (std::uint64_t i = pass.Begin(); i < pass.End(); ++i) {
            const std::uint8_t* rec = pass.RecordData(i);
            if (rec[0] != kPlainA) return false;
            values[static_cast<std::size_t>(i - first)] = ChannelConversion(rec[p], pass.NextByte(i, p), address, raw);
        }
    }
    error = pass.Error();
    return error.empty();
}

}  // namespace

std::string GraphValueText(double value) { return FixedText(value, 4, 1); }

BlockRange GraphRangeDefaults(BlockRange range, std::uint32_t total) {
    if (range.start == 0) range.start = 1;
    if (range.stop == 0 || range.stop > total) range.stop = total;
    return range;
}

PlotFactors GraphPlotFactors(double s) {
    if (s == 1.0) return {0.98, 0.98};
    return {0.96 * s, 0.98 * s};
}

GraphOutcome GraphChannel(const MappedLogFile& image, const GraphInput& input, double screenScale) {
    GraphOutcome out;
    const auto start = ParseBlockNumber(input.startText);
    const auto stop = ParseBlockNumber(input.stopText);
    if (start && stop) {
        out.range = BlockRange{static_cast<std::uint32_t>(std::min<std::uint64_t>(*start, UINT32_MAX)),
                               static_cast<std::uint32_t>(std::min<std::uint64_t>(*stop, UINT32_MAX))};
    }

    // The channel: a typed address (always raw) or the clicked channel.
    int address = 0;
    bool raw = true;
    std::string addressText;
    if (!input.fromChannel) {
        addressText = std::string(TrimSpaces(input.addressText));
        out.typedAddressText = addressText;
        if (addressText.empty()) return out;
        const long long parsed = ParseTelemetryNumber(addressText);
        if (parsed < 0 || parsed > 511) return Message(std::move(out), kImproperAddressText);
        address = static_cast<int>(parsed);
    } else {
        if (input.request.address < 0 || input.request.address > 511) return Message(std::move(out), kImproperAddressText);
        address = input.request.address;
        raw = input.raw;
    }

    const std::uint64_t total = image.IsOpen() ? image.BlockCount() : 0;
    if (total == 0) return out;  // no file loaded
    if (!start) return Message(std::move(out), "Start Blk# is not a block number!\nPlease enter a number from 1 to " +
                                                   std::to_string(total) + ".");
    if (!stop) return Message(std::move(out), "Stop Blk# is not a block number!\nPlease enter a number from 1 to " +
                                                  std::to_string(total) + ".");
    if (*start == 0) return Message(std::move(out), "Start Blk# must be 1 or more!");
    if (*stop > total)
        return Message(std::move(out), "Stop Blk# " + std::to_string(*stop) + " is beyond the end of the file (" +
                                           std::to_string(total) + " blocks)!");
    if (*stop == *start) return Message(std::move(out), "Start and stop are the same block!\nA graph needs at least two blocks.");
    if (*stop < *start) return Message(std::move(out), "Stop Blk# is below Start Blk#!");

    GraphPlot plot;
    plot.address = address;
    plot.raw = raw;
    plot.start = static_cast<std::uint32_t>(*start);
    plot.stop = static_cast<std::uint32_t>(*stop);
    const std::uint64_t first = plot.start - 1;
    const std::uint64_t last = plot.stop - 1;

    std::string readError;
    if (!ReadChannelValues(image, first, last, address, raw, plot.values, readError)) {
        out.fileFault = true;
        return Message(std::move(out), readError.empty() ? kNonABlocksText : "Cannot read the file: " + readError);
    }
    float maximum = -100.0F;
    float minimum = 255.0F;
    for (const float v : plot.values) {
        if (v > maximum) maximum = v;
        if (v < minimum) minimum = v;
    }

    // MA at the start, the quarter points and the stop; the orbit number of the middle block.
    const std::uint64_t span = plot.stop - plot.start;
    const auto quarter = [&](double f) { return static_cast<std::uint64_t>(std::trunc(first + span * f)); };
    plot.maStart = image.RecordAt(first)[kMaAddress];
    plot.ma25 = image.RecordAt(quarter(0.25))[kMaAddress];
    plot.ma50 = image.RecordAt(quarter(0.5))[kMaAddress];
    plot.ma75 = image.RecordAt(quarter(0.75))[kMaAddress];
    plot.maStop = image.RecordAt(last)[kMaAddress];
    const Record middle = image.RecordAt(first + span / 2);
    plot.orbit = middle[kOrbitHighAddress] * 256 + middle[kOrbitLowAddress];

    StretchScale(maximum, minimum);
    plot.maximum = maximum;
    plot.minimum = minimum;
    const double scaleSpan = static_cast<double>(maximum) - minimum;
    plot.label1 = GraphValueText(maximum);
    plot.label8 = GraphValueText(minimum + 0.75 * scaleSpan);
    plot.label2 = GraphValueText(minimum + 0.5 * scaleSpan);
    plot.label9 = GraphValueText(minimum + 0.25 * scaleSpan);
    plot.label3 = GraphValueText(minimum);
    plot.label4 = "MA " + std::to_string(plot.maStart);
    plot.label10 = std::to_string(plot.ma25);
    plot.label11 = std::to_string(plot.ma50);
    plot.label12 = std::to_string(plot.ma75);
    plot.label6 = "MA " + std::to_string(plot.maStop);
    plot.label5 = "Start Orbit# " + std::to_string(plot.orbit);

    if (input.fromChannel) {
        if (input.request.title.empty()) return Message(std::move(out), kSelectChannelText);
        plot.label7 = input.request.title;
        plot.label13 = raw ? "Raw Data" : input.request.units;
    } else {
        plot.label7 = "Data Addr = " + addressText;
        plot.label13 = "Raw Data";
    }

    // The curve: x from 59 (start) to 679 (stop), y from 312 (minimum) to 33 (maximum).
    plot.factors = GraphPlotFactors(screenScale);
    plot.pictureWidth = static_cast<int>(std::trunc(kGraphPictureWidth * screenScale));
    plot.pictureHeight = static_cast<int>(std::trunc(kGraphPictureHeight * screenScale));
    const double yPerUnit = kGraphHeight / std::fabs(scaleSpan);
    ReserveInHugePages(plot.points, plot.values.size());
    plot.points.resize(plot.values.size());
    for (std::size_t k = 0; k < plot.values.size(); ++k) {
        const std::uint64_t x = k * kGraphWidth / span + kGraphLeft;
        const double y = std::trunc(kGraphBottom - yPerUnit * (plot.values[k] - minimum));
        plot.points[k] = {static_cast<int>(std::trunc(static_cast<double>(x) * plot.factors.kx)),
                          static_cast<int>(std::trunc(y * plot.factors.ky))};
    }
    out.plot = std::move(plot);
    return out;
}

std::optional<GraphReadOut> GraphMouseReadOut(const GraphPlot& plot, int x, int y) {
    const double span = static_cast<double>(plot.stop) - plot.start;
    const double b = std::trunc((x / plot.factors.kx - kGraphLeft) * span / kGraphWidth + plot.start + 0.5);
    const double range = std::fabs(static_cast<double>(plot.maximum) - plot.minimum);
    const double v = range * (kGraphBottom - y / plot.factors.ky) / kGraphHeight + plot.minimum;
    if (b < plot.start || b > plot.stop || v < plot.minimum || v > plot.maximum) return std::nullopt;
    return GraphReadOut{std::to_string(static_cast<std::uint64_t>(b)), GraphValueText(v)};
}

}  // namespace orv
