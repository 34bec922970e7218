// orv-cli iq as its own process: a SigMF recording by either of its names and raw IQ on standard
// input decoded to audio's block lines, log and summary; and what it refuses, with its message.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "iq_test_util.h"
#include "orv_cli_run.h"

namespace orv {
namespace {

namespace fs = std::filesystem;

struct IqCli : ::testing::Test {
    test::TempDir dir;
    std::string out, err;

    std::string Path(const std::string& name) const { return dir.File(name); }
    // Runs `orv-cli iq` with the words of `args` (the folder's paths have no spaces) and stdin
    // from `input`; its exit code.
    int Run(const std::string& args, const std::string& input = "/dev/null") {
        std::vector<std::string> words = {"iq"};
        std::istringstream in(args);
        for (std::string word; in >> word;) words.push_back(word);
        const test::CliRun run = test::RunOrvCli(words, input);
        out = run.out;
        err = run.err;
        return run.exitCode;
    }
};

TEST_F(IqCli, DecodesSigmfByEitherNameAndRawIqOnStandardInput) {
    const IqSynthOptions o{.sampleRate = 64000.0, .beaconHz = 2600.0, .esNoDb = 14.0, .dcLevel = 0.02};
    const test::BeaconRecording recording(o);
    test::WriteSigmf(Path("pass"), IqFormat::Cf32, "cf32_le", 64000.0, 739750000.0, recording.samples);
    test::WriteRawIq(Path("pass.cs8"), IqFormat::Cs8, recording.samples);
    const struct {
        std::string args;
        std::string input;
        std::string carrier;  // in the summary
    } cases[] = {
        {Path("pass.sigmf-meta"), "/dev/null", "; carrier at +2600.0 Hz from the centre (739752600 Hz), Es/N0 1"},
        {Path("pass.sigmf-data"), "/dev/null", "; carrier at +2600.0 Hz from the centre (739752600 Hz), Es/N0 1"},
        {"- --format cs8 --rate 64000 --offset 1000", Path("pass.cs8"), "; carrier at +2600.0 Hz from the centre, Es/N0 1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        fs::remove(Path("log.tlm"));
        ASSERT_EQ(Run(c.args + " --log " + Path("log.tlm"), c.input), 0) << err;
        EXPECT_EQ(out, "1 A OK uncoded\n2 A OK fec\n3 K OK uncoded\n");
        EXPECT_TRUE(test::ReadText(Path("log.tlm")) == recording.ExpectedLog());
        EXPECT_EQ(err.rfind("orv-cli iq: 34.7 s of IQ, 3 blocks (2 uncoded with CRCC OK, 1 from FEC frames)", 0), 0U) << err;
        EXPECT_NE(err.find(c.carrier), std::string::npos) << err;
    }
}

TEST_F(IqCli, RefusesWhatItCannotReadWithAClearMessage) {
    std::ofstream(Path("odd.cu8"), std::ios::binary) << std::string(100001, '\x80');
    std::ofstream(Path("bad.sigmf-meta")) << R"({"global":{"core:datatype":"ri16_le","core:sample_rate":48000}})";
    std::ofstream(Path("bad.sigmf-data")) << "";
    std::ofstream(Path("mono.wav")) << "";
    const struct {
        std::string args;
        std::string input;
        int code;
        std::string message;  // the start of stderr
    } cases[] = {
        {Path("odd.cu8") + " --log " + Path("x.tlm"), "/dev/null", 1,
         "orv-cli iq: headerless IQ needs --rate HZ (and --format, default cu8): \"" + Path("odd.cu8") + "\" carries neither\n"},
        {"- --log " + Path("x.tlm"), "/dev/null", 2, "orv-cli iq: raw IQ on stdin needs --rate HZ (and --format, default cu8)\n"},
        {"- --format cu16 --rate 48000 --log " + Path("x.tlm"), "/dev/null", 2,
         "orv-cli iq: --format \"cu16\" is not cu8, cs8, cs16 or cf32\n"},
        {Path("bad.sigmf-data") + " --log " + Path("x.tlm"), "/dev/null", 1,
         "orv-cli iq: \"" + Path("bad.sigmf-meta") +
             "\": SigMF datatype \"ri16_le\" is not one that can be read (cf32_le, ci16_le, cu8, ci8)\n"},
        {Path("bad.sigmf-meta") + " --rate 48000 --log " + Path("x.tlm"), "/dev/null", 1,
         "orv-cli iq: --format and --rate are for headerless IQ; \"" + Path("bad.sigmf-meta") + "\" gives its own\n"},
        {Path("mono.wav") + " --log " + Path("x.tlm"), "/dev/null", 1, "orv-cli iq: \"" + Path("mono.wav") + "\" is not a WAV file that can be read: "},
        {"- --rate 20000 --log " + Path("x.tlm"), "/dev/null", 1, "orv-cli iq: sample rate 20000 Hz is outside 32000..20000000 Hz\n"},
        {"- --rate 48000 --offset 30k --log " + Path("x.tlm"), "/dev/null", 2, "orv-cli iq: --offset \"30k\" is not a frequency in Hz\n"},
        // A stream cut inside a sample: what came before is decoded, the cut is said, status 1.
        {"- --rate 50000 --log " + Path("odd.tlm"), Path("odd.cu8"), 1,
         "orv-cli iq: the IQ stream ends inside a sample (1 of 2 bytes)\norv-cli iq: 1.0 s of IQ, 0 blocks (0 uncoded with CRCC "
         "OK, 0 from FEC frames); no carrier found within 5000 Hz of +0.0 Hz from the centre\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        EXPECT_EQ(Run(c.args, c.input), c.code);
        EXPECT_EQ(err.rfind(c.message, 0), 0U) << err;
        EXPECT_EQ(out, "");
    }
    EXPECT_FALSE(fs::exists(Path("x.tlm")));  // refused before anything was written
}

}  // namespace
}  // namespace orv
