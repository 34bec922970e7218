#pragma once
// Transmissions through the audio synthesizer, and a station in ADC mode that receives the
// demodulator's bytes: shared by the audio tests and the threshold benchmark.
#include <algorithm>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "audio/audio_demodulator.h"
#include "audio/audio_synth.h"
#include "block_recorder.h"
#include "fec/fec_block.h"
#include "pipeline/reception_pipeline.h"
#include "reception/clock.h"
#include "reception/crcc.h"

namespace orv::test {

// A block of kind `id` with varied bytes and a valid CRCC.
inline Block514 MakeBlock(char id, std::uint32_t seed) {
    std::mt19937 random(seed);
    Block514 b{};
    for (std::size_t i = 0; i < kTelemetryBytes; ++i) b[i] = static_cast<std::uint8_t>(random());
    b[0] = static_cast<std::uint8_t>(id);
    const auto c = Crcc(std::span<const std::uint8_t>(b.data(), kTelemetryBytes));
    b[512] = static_cast<std::uint8_t>(c >> 8);
    b[513] = static_cast<std::uint8_t>(c & 0xFF);
    return b;
}

inline FecData MakeFecData(std::uint32_t seed) {
    std::mt19937 random(seed);
    FecData d{};
    for (auto& b : d) b = static_cast<std::uint8_t>(random());
    return d;
}

// A station in ADC mode taking every block, fed at the serial port's pace; inverted syncs are
// accepted as in audio mode.
class ReceivingStation {
public:
    ReceivingStation() {
        station_.SetModemType(ModemType::Adc);
        pipeline_.AddSink(recorder_);
        pipeline_.Adc().Path().SetAcceptInverted(true);
    }
    void Feed(std::span<const std::uint8_t> samples) {
        for (std::size_t i = 0; i < samples.size(); i += 400) {
            pipeline_.AdcSamples(samples.subspan(i, std::min<std::size_t>(400, samples.size() - i)));
            clock_.Advance(1);
        }
    }
    const std::vector<RecordedBlock>& Blocks() const { return recorder_.blocks; }
    int Count(bool fec, bool crccOk) const {
        return static_cast<int>(std::count_if(Blocks().begin(), Blocks().end(), [&](const RecordedBlock& b) {
            return b.FromFec() == fec && (b.verdict == CrccVerdict::Ok) == crccOk;
        }));
    }

private:
    StationState station_;
    ManualClock clock_{1'000'000'000};
    BlockRecorder recorder_;
    ReceptionPipeline pipeline_{station_, clock_};
};

// The whole recording through a demodulator in one go.
inline std::vector<std::uint8_t> Demodulate(const AudioDemodOptions& options, std::span<const float> audio) {
    AudioDemodulator demod(options);
    std::vector<std::uint8_t> bytes;
    demod.Process(audio, bytes);
    demod.Flush(bytes);
    return bytes;
}

// The blocks a station receives from `audio` at `sampleRate` through a demodulator.
inline std::vector<RecordedBlock> Receive(double sampleRate, std::span<const float> audio) {
    AudioDemodOptions d;
    d.sampleRate = sampleRate;
    ReceivingStation station;
    station.Feed(Demodulate(d, audio));
    return station.Blocks();
}

// The Es/N0 a demodulator shows after `symbols` idle symbols of the synthesizer, read before the
// flush, as the summary and the signal window read it.
inline double EsNoShown(const AudioSynthOptions& o, int symbols = 3000) {
    AudioSynthesizer synth(o);
    std::vector<float> audio;
    synth.AppendIdle(symbols, audio);
    AudioDemodOptions d;
    d.sampleRate = o.sampleRate;
    AudioDemodulator demod(d);
    std::vector<std::uint8_t> bytes;
    demod.Process(audio, bytes);
    return demod.EsNoDb();
}

inline bool SameBytes(const Block512& got, std::span<const std::uint8_t> want) {
    return std::equal(got.begin(), got.end(), want.begin());
}

}  // namespace orv::test
