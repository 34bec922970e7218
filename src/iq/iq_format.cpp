#include "iq/iq_format.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

namespace orv {
namespace {

struct FormatRow {
    IqFormat format;
    std::string_view name;
    std::size_t bytes;
};
constexpr std::array<FormatRow, 4> kFormats = {{
    {IqFormat::Cu8, "cu8", 2},
    {IqFormat::Cs8, "cs8", 2},
    {IqFormat::Cs16, "cs16", 4},
    {IqFormat::Cf32, "cf32", 8},
}};

const FormatRow& RowOf(IqFormat format) {
    for (const FormatRow& row : kFormats)
        if (row.format == format) return row;
    return kFormats[0];
}

// A table for the 8-bit formats: one lookup per value instead of a conversion.
struct ByteTables {
    std::array<float, 256> unsignedValue{};
    std::array<float, 256> signedValue{};
    ByteTables() {
        for (int i = 0; i < 256; ++i) {
            unsignedValue[static_cast<std::size_t>(i)] = (static_cast<float>(i) - 127.5F) / 127.5F;
            signedValue[static_cast<std::size_t>(i)] = static_cast<float>(static_cast<std::int8_t>(i)) / 128.0F;
        }
    }
};
const ByteTables kTables;

template <typename T>
T Quantize(float value, float scale, float zero, float low, float high) {
    return static_cast<T>(std::lround(std::clamp(value * scale + zero, low, high)));
}

}  // namespace

std::optional<IqFormat> IqFormatNamed(std::string_view name) {
    for (const FormatRow& row : kFormats)
        if (row.name == name) return row.format;
    return std::nullopt;
}

std::string_view IqFormatName(IqFormat format) { return RowOf(format).name; }

std::string IqFormatNames() { return "cu8, cs8, cs16 or cf32"; }

std::size_t IqSampleBytes(IqFormat format) { return RowOf(format).bytes; }

void IqToComplex(IqFormat format, std::span<const std::uint8_t> bytes, std::vector<std::complex<float>>& out) {
    const std::size_t n = bytes.size() / IqSampleBytes(format);
    const std::size_t start = out.size();
    out.resize(start + n);
    std::complex<float>* to = out.data() + start;
    const std::uint8_t* from = bytes.data();
    switch (format) {
        case IqFormat::Cu8:
            for (std::size_t i = 0; i < n; ++i)
                to[i] = {kTables.unsignedValue[from[2 * i]], kTables.unsignedValue[from[2 * i + 1]]};
            break;
        case IqFormat::Cs8:
            for (std::size_t i = 0; i < n; ++i) to[i] = {kTables.signedValue[from[2 * i]], kTables.signedValue[from[2 * i + 1]]};
            break;
        case IqFormat::Cs16:
            for (std::size_t i = 0; i < n; ++i) {
                const auto value = [&](std::size_t at) {
                    return static_cast<float>(static_cast<std::int16_t>(from[at] | (from[at + 1] << 8))) / 32768.0F;
                };
                to[i] = {value(4 * i), value(4 * i + 2)};
            }
            break;
        case IqFormat::Cf32:
            // Little-endian float pairs, as the machine holds std::complex<float> on every platform built for.
            std::memcpy(static_cast<void*>(to), from, n * 8);
            break;
    }
}

void ComplexToIq(IqFormat format, std::span<const std::complex<float>> samples, std::vector<std::uint8_t>& out) {
    const std::size_t start = out.size();
    out.resize(start + samples.size() * IqSampleBytes(format));
    std::uint8_t* to = out.data() + start;
    const float* from = reinterpret_cast<const float*>(samples.data());
    const std::size_t values = 2 * samples.size();
    switch (format) {
        case IqFormat::Cu8:
            for (std::size_t i = 0; i < values; ++i) to[i] = Quantize<std::uint8_t>(from[i], 127.5F, 127.5F, 0.0F, 255.0F);
            break;
        case IqFormat::Cs8:
            for (std::size_t i = 0; i < values; ++i)
                to[i] = static_cast<std::uint8_t>(Quantize<std::int8_t>(from[i], 128.0F, 0.0F, -128.0F, 127.0F));
            break;
        case IqFormat::Cs16:
            for (std::size_t i = 0; i < values; ++i) {
                const auto s = static_cast<std::uint16_t>(Quantize<std::int16_t>(from[i], 32768.0F, 0.0F, -32768.0F, 32767.0F));
                to[2 * i] = static_cast<std::uint8_t>(s & 0xFF);
                to[2 * i + 1] = static_cast<std::uint8_t>(s >> 8);
            }
            break;
        case IqFormat::Cf32: std::memcpy(to, from, values * sizeof(float)); break;
    }
}

}  // namespace orv
