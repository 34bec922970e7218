// Writes a recording of the beacon as an SDR hears it, for the speed benchmark and for trying
// orv-cli iq and station --iq-file by hand: idle, block A, an FEC frame, block K, idle (35 s).
// Usage: orv_iq_recording OUT FORMAT RATE BEACON_HZ [ES_N0_DB [DRIFT_HZ_PER_S]]
//   FORMAT cu8, cs8, cs16 or cf32 (headerless), sigmf-cu8 ... sigmf-cf32 (OUT.sigmf-data and
//   OUT.sigmf-meta), or wav (2-channel 16-bit). An rtl-sdr's DC spike and white noise come along.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "iq_test_util.h"

int main(int argc, char** argv) {
    using namespace orv;
    if (argc < 5) {
        std::fprintf(stderr, "usage: %s OUT FORMAT RATE BEACON_HZ [ES_N0_DB [DRIFT_HZ_PER_S]]\n", argv[0]);
        return 2;
    }
    const std::string out = argv[1];
    std::string format = argv[2];
    const IqSynthOptions o{
        .sampleRate = std::atof(argv[3]), .beaconHz = std::atof(argv[4]),
        .driftHzPerSecond = argc > 6 ? std::atof(argv[6]) : 0.0, .esNoDb = argc > 5 ? std::atof(argv[5]) : 14.0,
        .dcLevel = 0.02
    };
    const test::BeaconRecording recording(o);
    const bool sigmf = format.rfind("sigmf-", 0) == 0;
    if (sigmf) format = format.substr(6);
    if (format == "wav") return test::WriteIqWav(out, static_cast<int>(o.sampleRate), recording.samples) ? 0 : 1;
    const auto iq = IqFormatNamed(format);
    if (!iq) {
        std::fprintf(stderr, "unknown format %s\n", argv[2]);
        return 2;
    }
    if (sigmf) {
        const char* datatype = *iq == IqFormat::Cu8 ? "cu8" : *iq == IqFormat::Cs8 ? "ci8" : *iq == IqFormat::Cs16 ? "ci16_le" : "cf32_le";
        test::WriteSigmf(out, *iq, datatype, o.sampleRate, 739.75e6, recording.samples);
    } else {
        test::WriteRawIq(out, *iq, recording.samples);
    }
    return 0;
}
