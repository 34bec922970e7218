#pragma once
// A recording of the beacon as an SDR hears it, in each format Orv reads: shared by the IQ tests
// and the benchmark.
#include <complex>
#include <fstream>
#include <string>
#include <vector>

#include <sndfile.h>

#include "audio_test_util.h"
#include "file_contents.h"
#include "iq/iq_format.h"
#include "iq/iq_synth.h"

namespace orv::test {

// Idle, block A, an FEC frame, block K, idle: the blocks a receiver must log, in order.
struct BeaconRecording {
    Block514 first = MakeBlock('A', 41);
    Block514 second = MakeBlock('K', 42);
    FecData data = MakeFecData(43);
    std::vector<std::complex<float>> samples;

    explicit BeaconRecording(const IqSynthOptions& options, int leadSymbols = 300) {
        IqSynthesizer synth(options);
        synth.AppendIdle(leadSymbols, samples);
        synth.AppendUncodedBlock(first, samples);
        synth.AppendFecFrame(data, samples);
        synth.AppendUncodedBlock(second, samples);
        synth.AppendIdle(100, samples);
    }
    // The three blocks' first 512 bytes, as the log holds them.
    std::string ExpectedLog() const {
        const Block514 rebuilt = ReconstructFecBlock(data);
        std::string log;
        for (const Block514* b : {&first, &rebuilt, &second}) log.append(reinterpret_cast<const char*>(b->data()), kTelemetryBytes);
        return log;
    }
};

// Headerless samples of `format`, as rtl_sdr and SDR programs write them.
inline void WriteRawIq(const std::string& path, IqFormat format, const std::vector<std::complex<float>>& samples) {
    std::vector<std::uint8_t> bytes;
    ComplexToIq(format, samples, bytes);
    WriteBytes(path, bytes);
}

// NAME.sigmf-data and NAME.sigmf-meta with `datatype` ("cu8", "ci16_le", ...).
inline void WriteSigmf(const std::string& base, IqFormat format, const std::string& datatype, double rate, double centreHz,
                       const std::vector<std::complex<float>>& samples) {
    WriteRawIq(base + ".sigmf-data", format, samples);
    std::ofstream(base + ".sigmf-meta") << "{\n  \"global\": {\n    \"core:datatype\": \"" << datatype
                                        << "\",\n    \"core:sample_rate\": " << rate
                                        << ",\n    \"core:version\": \"1.0.0\",\n    \"core:hw\": \"RTL-SDR \\u0026 LNB\"\n  },\n"
                                        << "  \"captures\": [{\"core:sample_start\": 0, \"core:frequency\": " << centreHz
                                        << "}],\n  \"annotations\": []\n}\n";
}

// A 2-channel WAV file, I left and Q right, 16-bit as SDR programs record it.
inline bool WriteIqWav(const std::string& path, int rate, const std::vector<std::complex<float>>& samples) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
    if (f == nullptr) return false;
    sf_writef_float(f, reinterpret_cast<const float*>(samples.data()), static_cast<sf_count_t>(samples.size()));
    sf_close(f);
    return true;
}

}  // namespace orv::test
