// The IQ receiver's decoding targets: uncoded blocks at 13 dB and FEC frames at 5 dB Es/N0 per
// channel symbol, in every sample format, with the beacon anywhere within +-5 kHz of the offset
// (the offset at the centre, so an rtl-sdr's DC spike lies in the searched band), drifting
// 2 Hz/s, at 1.024 MHz. Prints a Markdown table of blocks or frames decoded out of those sent.
// Run build/bench/iq/orv_iq_thresholds [transmissions per cell, default 8].
#include <cstdio>
#include <cstdlib>

#include "iq/iq_receiver.h"
#include "iq_test_util.h"

namespace orv {
namespace {

constexpr double kRate = 1024000.0;
constexpr int kPerRecording = 4;

// Of `trials` transmissions of one kind, how many the receiver decoded from the samples as the
// format carries them.
int Decoded(IqFormat format, bool fec, double beaconHz, int trials) {
    int good = 0;
    for (int sent = 0, seed = 1; sent < trials; sent += kPerRecording, ++seed) {
        const int n = std::min(kPerRecording, trials - sent);
        IqSynthOptions o;
        o.sampleRate = kRate;
        o.beaconHz = beaconHz;
        o.driftHzPerSecond = 2.0;
        o.esNoDb = fec ? 5.0 : 13.0;
        o.dcLevel = 0.02;
        o.seed = static_cast<std::uint64_t>(seed) * 977 + static_cast<std::uint64_t>(beaconHz + 10000.0);
        IqSynthesizer synth(o);
        std::vector<std::complex<float>> samples;
        synth.AppendIdle(200, samples);
        for (int i = 0; i < n; ++i) {
            const auto id = static_cast<std::uint32_t>(seed * 10 + i);
            if (fec) synth.AppendFecFrame(test::MakeFecData(id), samples);
            else synth.AppendUncodedBlock(test::MakeBlock('A', id), samples);
            synth.AppendIdle(20, samples);
        }
        synth.AppendIdle(200, samples);
        // Through the format: quantized as the SDR or the file holds the samples.
        std::vector<std::uint8_t> bytes;
        ComplexToIq(format, samples, bytes);
        samples.clear();
        IqToComplex(format, bytes, samples);
        IqReceiver receiver({.sampleRate = kRate, .offsetHz = 0.0, .searchHz = 5000.0});
        std::vector<std::uint8_t> adc;
        receiver.Process(samples, adc);
        receiver.Flush(adc);
        test::ReceivingStation station;
        station.Feed(adc);
        good += station.Count(fec, true);
    }
    return good;
}

}  // namespace
}  // namespace orv

int main(int argc, char** argv) {
    using namespace orv;
    const int trials = argc > 1 ? std::max(1, std::atoi(argv[1])) : 8;
    const double positions[] = {-4900.0, -2500.0, 150.0, 2500.0, 4900.0};
    std::printf("uncoded blocks at 13 dB / FEC frames at 5 dB decoded, of %d each; beacon relative to the offset, "
                "drifting 2 Hz/s; 1.024 MHz\n\n| format |",
                trials);
    for (double p : positions) std::printf(" %+.0f Hz |", p);
    std::printf("\n|---|");
    for (std::size_t i = 0; i < std::size(positions); ++i) std::printf("---|");
    std::printf("\n");
    for (IqFormat format : {IqFormat::Cu8, IqFormat::Cs8, IqFormat::Cs16, IqFormat::Cf32}) {
        std::printf("| %s |", std::string(IqFormatName(format)).c_str());
        for (double p : positions) {
            std::printf(" %d / %d |", Decoded(format, false, p, trials), Decoded(format, true, p, trials));
            std::fflush(stdout);
        }
        std::printf("\n");
    }
    return 0;
}
