// Writes a recording of the beacon as a station hears it, for decoders other than this program's
// (gr-satellites): a 48 kHz 16-bit mono WAV of idle, then COUNT uncoded blocks or FEC frames
// with idle between them, at the Es/N0 and under the impairment given; beside it OUT.wav.bytes,
// what was sent: the 514 bytes of each block, or the 256 data bytes of each frame, one after the
// other. The bytes come from a fixed seed, so two runs write the same files.
// Run build/bench/audio/orv_beacon_recording OUT.wav uncoded|fec COUNT ES_N0_DB [white|phase3|tone|all]
#include <sndfile.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "audio_test_util.h"

int main(int argc, char** argv) {
    using namespace orv;
    if (argc < 5) {
        std::fprintf(stderr, "usage: orv_beacon_recording OUT.wav uncoded|fec COUNT ES_N0_DB [white|phase3|tone|all]\n");
        return 2;
    }
    const std::string kind = argv[2];
    const int count = std::atoi(argv[3]);
    const std::string impairment = argc > 5 ? argv[5] : "white";
    AudioSynthOptions o;
    o.levelDbfs = -20.0;
    o.esNoDb = std::atof(argv[4]);
    o.seed = 11;
    if (impairment == "phase3") o.phaseNoiseHz = 3.0;
    else if (impairment == "tone") o.levelDbfs = -30.0, o.tones = {{130.0, 20.0}};
    else if (impairment == "all") {
        o.ssbFilter = true, o.phaseNoiseHz = 0.5, o.wanderHz = 10.0, o.soundCardPpm = 150.0;
        o.humDb = -10.0, o.humHarmonics = 5, o.agcPumpDb = 4.0, o.carrierHz = 1570.0;
    } else if (impairment != "white") {
        std::fprintf(stderr, "orv_beacon_recording: unknown impairment \"%s\"\n", impairment.c_str());
        return 2;
    }
    AudioSynthesizer synth(o);
    std::vector<float> audio;
    std::ofstream sent(std::string(argv[1]) + ".bytes", std::ios::binary);
    auto keep = [&](std::span<const std::uint8_t> bytes) {
        sent.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    };
    synth.AppendIdle(400, audio);
    for (int i = 0; i < count; ++i) {
        if (kind == "fec") {
            const FecData data = test::MakeFecData(static_cast<std::uint32_t>(100 + i));
            synth.AppendFecFrame(data, audio);
            keep(data);
        } else {
            const Block514 block = test::MakeBlock('A', static_cast<std::uint32_t>(100 + i));
            synth.AppendUncodedBlock(block, audio);
            keep(block);
        }
        synth.AppendIdle(40, audio);
    }
    if (!sent.flush()) {
        std::fprintf(stderr, "orv_beacon_recording: cannot write \"%s.bytes\"\n", argv[1]);
        return 1;
    }
    synth.AppendIdle(400, audio);
    SF_INFO info{};
    info.samplerate = static_cast<int>(o.sampleRate);
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* f = sf_open(argv[1], SFM_WRITE, &info);
    if (!f) {
        std::fprintf(stderr, "orv_beacon_recording: cannot write \"%s\": %s\n", argv[1], sf_strerror(nullptr));
        return 1;
    }
    const bool written = sf_writef_float(f, audio.data(), static_cast<sf_count_t>(audio.size())) == static_cast<sf_count_t>(audio.size());
    sf_close(f);
    return written ? 0 : 1;
}
