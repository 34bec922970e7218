// Speed of the audio demodulator with the ADC path behind it: a 48 kHz recording decoded as fast
// as one core allows, and the CPU share of a live 192 kHz source read in sound-card periods.
// Run build/bench/audio/orv_audio_bench.
#include <benchmark/benchmark.h>

#include "audio_test_util.h"

namespace orv {
namespace {

// About 70 s of audio: uncoded blocks and FEC frames at 10 dB, carrier 100 Hz off centre.
std::vector<float> Recording(double rate) {
    AudioSynthOptions o;
    o.sampleRate = rate;
    o.carrierHz = 1600.0;
    o.esNoDb = 10.0;
    AudioSynthesizer synth(o);
    std::vector<float> audio;
    synth.AppendIdle(100, audio);
    for (std::uint32_t i = 0; i < 3; ++i) {
        synth.AppendUncodedBlock(test::MakeBlock('A', i), audio);
        synth.AppendFecFrame(test::MakeFecData(i), audio);
    }
    synth.AppendIdle(100, audio);
    return audio;
}

// The recording demodulated and decoded whole, the demodulator's set-up (about 40 ms) included; "x_real_time" is seconds of audio per CPU second.
void BM_DecodeRecording48k(benchmark::State& state) {
    const double rate = 48000.0;
    const auto audio = Recording(rate);
    AudioDemodOptions options;
    options.sampleRate = rate;
    int blocks = 0;
    for (auto _ : state) {
        test::ReceivingStation station;
        station.Feed(test::Demodulate(options, audio));
        blocks = static_cast<int>(station.Blocks().size());
    }
    if (blocks != 6) state.SkipWithError("the recording did not decode");
    const double seconds = static_cast<double>(audio.size()) / rate;
    state.counters["x_real_time"] = benchmark::Counter(seconds * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.SetItemsProcessed(static_cast<std::int64_t>(audio.size()) * state.iterations());
}
BENCHMARK(BM_DecodeRecording48k)->Unit(benchmark::kMillisecond);

// A live source: periods of 1024 samples (5.3 ms) at 192 kHz. "core_share" is CPU time over
// audio time: the part of one core the demodulator takes.
void BM_LiveSource192k(benchmark::State& state) {
    const double rate = 192000.0;
    const auto audio = Recording(rate);
    AudioDemodOptions options;
    options.sampleRate = rate;
    constexpr std::size_t kPeriod = 1024;
    std::vector<std::uint8_t> bytes;
    for (auto _ : state) {
        AudioDemodulator demod(options);
        test::ReceivingStation station;
        for (std::size_t at = 0; at < audio.size(); at += kPeriod) {
            bytes.clear();
            demod.Process(std::span<const float>(audio).subspan(at, std::min(kPeriod, audio.size() - at)), bytes);
            station.Feed(bytes);
        }
    }
    const double seconds = static_cast<double>(audio.size()) / rate;
    state.counters["core_share"] = benchmark::Counter(seconds * static_cast<double>(state.iterations()),
                                                      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_LiveSource192k)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace orv
