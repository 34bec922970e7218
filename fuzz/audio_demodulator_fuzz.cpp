// The audio demodulator and the ADC path behind it on arbitrary audio: the first bytes choose the
// sample rate, centre and search range (options the demodulator refuses end the run, as the
// program refuses them), one byte whether the samples are 16-bit integers or 32-bit floats
// (floats reach NaN, infinities and huge values, as a damaged float WAV can hold), and the rest
// is the audio in reads of arbitrary length.
#include <cmath>
#include <cstring>
#include <vector>

#include "audio/audio_demodulator.h"
#include "fuzz_input.h"
#include "fuzz_receiver.h"

namespace {

constexpr double kRates[] = {8000.0, 11025.0, 22050.0, 44100.0, 48000.0, 96000.0, 192000.0};

// Samples of the next read: up to 256 × 32 values of the chosen width.
std::vector<float> Samples(orv::fuzz::FuzzInput& in, bool floats) {
    const std::size_t count = (static_cast<std::size_t>(in.Byte()) + 1) * 32;
    const auto bytes = in.Take(count * (floats ? 4 : 2));
    std::vector<float> out;
    if (floats) {
        out.resize(bytes.size() / 4);
        if (!out.empty()) std::memcpy(out.data(), bytes.data(), out.size() * 4);
    } else {
        out.reserve(bytes.size() / 2);
        for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
            out.push_back(static_cast<float>(static_cast<std::int16_t>(bytes[i] | bytes[i + 1] << 8)) / 32768.0f);
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    orv::fuzz::FuzzInput in(data, size);
    orv::AudioDemodOptions options;
    options.sampleRate = kRates[in.Byte() % std::size(kRates)];
    options.centreHz = 300.0 + 20.0 * in.Byte();
    options.searchHz = 4.0 * in.Byte();
    if (orv::AudioDemodulator::ProblemWith(options)) return 0;
    const bool floats = in.Byte() & 1;

    orv::fuzz::FuzzPipeline r(orv::ModemType::Audio);
    r.pipeline.Adc().Path().SetAcceptInverted(true);

    orv::AudioDemodulator demodulator(options);
    std::vector<std::uint8_t> symbols;
    while (!in.Empty()) {
        const std::vector<float> samples = Samples(in, floats);
        symbols.clear();
        demodulator.Process(samples, symbols);
        r.pipeline.AdcSamples(symbols);
        // What an operator sees must stay readable numbers whatever came in.
        (void)demodulator.RecentSymbols();
        (void)demodulator.Spectrum(400.0);
        r.clock.Advance(1);
    }
    symbols.clear();
    demodulator.Flush(symbols);
    r.pipeline.AdcSamples(symbols);
    return 0;
}
