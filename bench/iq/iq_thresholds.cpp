// The IQ receiver's decoding targets: uncoded blocks at 13 dB and FEC frames at 5 dB Es/N0 per
// channel symbol, in every sample format, with the beacon anywhere within +-5 kHz of the offset
// (the offset at the centre, so an rtl-sdr's DC spike lies in the searched band), drifting
// 2 Hz/s, at 1.024 MHz. Each recording is made once and passed through every format. Prints a
// Markdown table of blocks or frames decoded out of those sent (progress on stderr).
// Run build/bench/iq/orv_iq_thresholds [transmissions per cell, default 8].
#include <array>
#include <cstdio>
#include <cstdlib>

#include "iq/iq_receiver.h"
#include "iq_test_util.h"

namespace orv {
namespace {

constexpr double kRate = 1024000.0;
constexpr int kPerRecording = 4;
constexpr IqFormat kFormats[] = {IqFormat::Cu8, IqFormat::Cs8, IqFormat::Cs16, IqFormat::Cf32};
constexpr std::size_t kFormatCount = std::size(kFormats);

// Of `trials` transmissions of one kind, how many the receiver decoded from the samples as each
// format carries them (in kFormats' order). Each recording is made once and quantized per format.
std::array<int, kFormatCount> Decoded(bool fec, double beaconHz, int trials) {
    std::array<int, kFormatCount> good{};
    for (int sent = 0, seed = 1; sent < trials; sent += kPerRecording, ++seed) {
        const int n = std::min(kPerRecording, trials - sent);
        const IqSynthOptions o{.sampleRate = kRate,
                               .beaconHz = beaconHz,
                               .driftHzPerSecond = 2.0,
                               .esNoDb = fec ? 5.0 : 13.0,
                               .dcLevel = 0.02,
                               .seed = static_cast<std::uint64_t>(seed) * 977 + static_cast<std::uint64_t>(beaconHz + 10000.0)};
        IqSynthesizer synth(o);
        std::vector<std::complex<float>> recording;
        synth.AppendIdle(200, recording);
        for (int i = 0; i < n; ++i) {
            const auto id = static_cast<std::uint32_t>(seed * 10 + i);
            if (fec) synth.AppendFecFrame(test::MakeFecData(id), recording);
            else synth.AppendUncodedBlock(test::MakeBlock('A', id), recording);
            synth.AppendIdle(20, recording);
        }
        synth.AppendIdle(200, recording);
        for (std::size_t f = 0; f < kFormatCount; ++f) {
            // Through the format: quantized as the SDR or the file holds the samples.
            std::vector<std::uint8_t> bytes;
            ComplexToIq(kFormats[f], recording, bytes);
            std::vector<std::complex<float>> samples;
            IqToComplex(kFormats[f], bytes, samples);
            bytes = {};
            IqReceiver receiver({.sampleRate = kRate, .offsetHz = 0.0, .searchHz = 5000.0});
            std::vector<std::uint8_t> adc;
            receiver.Process(samples, adc);
            receiver.Flush(adc);
            test::ReceivingStation station;
            station.Feed(adc);
            good[f] += station.Count(fec, true);
        }
    }
    return good;
}

}  // namespace
}  // namespace orv

int main(int argc, char** argv) {
    using namespace orv;
    const int trials = argc > 1 ? std::max(1, std::atoi(argv[1])) : 8;
    const double positions[] = {-4900.0, -2500.0, 150.0, 2500.0, 4900.0};
    // [position][kind: uncoded, FEC][format]
    std::vector<std::array<std::array<int, kFormatCount>, 2>> decoded(std::size(positions));
    for (std::size_t p = 0; p < std::size(positions); ++p)
        for (int fec = 0; fec < 2; ++fec) {
            decoded[p][static_cast<std::size_t>(fec)] = Decoded(fec == 1, positions[p], trials);
            std::fprintf(stderr, "%+.0f Hz %s done\n", positions[p], fec ? "FEC" : "uncoded");
        }
    std::printf("uncoded blocks at 13 dB / FEC frames at 5 dB decoded, of %d each; beacon relative to the offset, "
                "drifting 2 Hz/s; 1.024 MHz\n\n| format |",
                trials);
    for (double p : positions) std::printf(" %+.0f Hz |", p);
    std::printf("\n|---|");
    for (std::size_t i = 0; i < std::size(positions); ++i) std::printf("---|");
    std::printf("\n");
    for (std::size_t f = 0; f < kFormatCount; ++f) {
        std::printf("| %s |", std::string(IqFormatName(kFormats[f])).c_str());
        for (std::size_t p = 0; p < std::size(positions); ++p) std::printf(" %d / %d |", decoded[p][0][f], decoded[p][1][f]);
        std::printf("\n");
    }
    return 0;
}
