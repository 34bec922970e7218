#pragma once
// The sample formats of IQ recordings and streams, as SDR programs write them: interleaved I and
// Q, little-endian. cu8 is rtl-sdr's unsigned 8-bit with 127.5 as zero; cs8 and cs16 are signed
// integers, cf32 is 32-bit float. All are converted to complex float with full scale 1.0.
#include <complex>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orv {

enum class IqFormat { Cu8, Cs8, Cs16, Cf32 };

// "cu8", "cs8", "cs16", "cf32" as --format takes them; nothing for any other name.
std::optional<IqFormat> IqFormatNamed(std::string_view name);
std::string_view IqFormatName(IqFormat format);
// Their names for a message: "cu8, cs8, cs16 or cf32".
std::string IqFormatNames();
// Bytes of one complex sample (I and Q).
std::size_t IqSampleBytes(IqFormat format);

// Appends the complex samples of `bytes`, which holds whole samples of `format`, to `out`.
void IqToComplex(IqFormat format, std::span<const std::uint8_t> bytes, std::vector<std::complex<float>>& out);
// The other way, for recordings made by tests and benchmarks: values beyond full scale clip.
void ComplexToIq(IqFormat format, std::span<const std::complex<float>> samples, std::vector<std::uint8_t>& out);

}  // namespace orv
