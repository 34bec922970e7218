// orv-cli audio as its own process: WAV, FLAC and raw input decoded to the block lines and log
// of orv-cli adc, the sample stream that orv-cli adc decodes the same, and bad input.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <sndfile.h>

#include "audio_test_util.h"

namespace orv {
namespace {

namespace fs = std::filesystem;

struct CliFixture : ::testing::Test {
    fs::path dir = fs::temp_directory_path() /
                   ("orv_audio_cli_" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    std::string out, err;

    CliFixture() { fs::create_directories(dir); }
    ~CliFixture() override { fs::remove_all(dir); }
    std::string Path(const std::string& name) const { return (dir / name).string(); }

    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
    // Runs orv-cli with `args` (already quoted where needed) and stdin from `input`; its exit code.
    int Run(const std::string& args, const std::string& input = "/dev/null") {
        const std::string command = std::string("'") + ORV_CLI + "' " + args + " < '" + input + "' > '" + Path("stdout") +
                                    "' 2> '" + Path("stderr") + "'";
        const int status = std::system(command.c_str());
        out = Read(Path("stdout"));
        err = Read(Path("stderr"));
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string Q(const std::string& name) const { return "'" + Path(name) + "'"; }

    // 11.025 kHz audio, carrier 120 Hz above the centre: idle, block A, an FEC frame, block K.
    const Block514 first = test::MakeBlock('A', 31);
    const Block514 second = test::MakeBlock('K', 32);
    const FecData data = test::MakeFecData(33);
    std::vector<float> Recording() const {
        AudioSynthOptions o;
        o.sampleRate = 11025.0;
        o.carrierHz = 1620.0;
        o.esNoDb = 14.0;
        o.levelDbfs = -18.0;
        AudioSynthesizer synth(o);
        std::vector<float> audio;
        synth.AppendIdle(300, audio);
        synth.AppendUncodedBlock(first, audio);
        synth.AppendFecFrame(data, audio);
        synth.AppendUncodedBlock(second, audio);
        synth.AppendIdle(100, audio);
        return audio;
    }
    void WriteSound(const std::string& path, int format, const std::vector<float>& audio) const {
        SF_INFO info{};
        info.samplerate = 11025;
        info.channels = 1;
        info.format = format;
        SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
        ASSERT_NE(f, nullptr) << sf_strerror(nullptr);
        sf_writef_float(f, audio.data(), static_cast<sf_count_t>(audio.size()));
        sf_close(f);
    }
    std::string ExpectedLog() const {
        const Block514 rebuilt = ReconstructFecBlock(data);
        std::string log;
        for (const Block514* b : {&first, &rebuilt, &second}) log.append(reinterpret_cast<const char*>(b->data()), kTelemetryBytes);
        return log;
    }
    static constexpr const char* kLines = "1 A OK uncoded\n2 A OK fec\n3 K OK uncoded\n";
};

TEST_F(CliFixture, DecodesWavFlacAndRawAndItsSamplesDecodeTheSameThroughAdc) {
    const auto audio = Recording();
    WriteSound(Path("rec.wav"), SF_FORMAT_WAV | SF_FORMAT_PCM_16, audio);
    WriteSound(Path("rec.flac"), SF_FORMAT_FLAC | SF_FORMAT_PCM_16, audio);
    {
        std::ofstream raw(Path("rec.raw"), std::ios::binary);
        for (float s : audio) {
            const auto v = static_cast<std::int16_t>(std::lround(s * 32767.0F));
            raw.put(static_cast<char>(v & 0xFF)).put(static_cast<char>((v >> 8) & 0xFF));
        }
    }
    const struct {
        const char* name;
        std::string args;
        std::string input;
    } cases[] = {
        {"wav", Q("rec.wav"), "/dev/null"},
        {"flac", Q("rec.flac"), "/dev/null"},
        {"raw on stdin", "- --rate 11025", Path("rec.raw")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(Path("log.tlm"));
        fs::remove_all(Path("fec"));
        fs::create_directories(Path("fec"));
        ASSERT_EQ(Run("audio " + c.args + " --log " + Q("log.tlm") + " --fec-log-dir " + Q("fec") + " --samples-out " +
                          Q("samples.bin"),
                      c.input),
                  0)
            << err;
        EXPECT_EQ(out, kLines);
        EXPECT_EQ(Read(Path("log.tlm")), ExpectedLog());
        EXPECT_EQ(err.rfind("orv-cli audio: 34.7 s of audio, 3 blocks", 0), 0U) << err;
        EXPECT_NE(err.find(" s of audio, 3 blocks (2 uncoded with CRCC OK, 1 from FEC frames); carrier at 162"), std::string::npos) << err;
        EXPECT_NE(err.find(" Hz, Es/N0 1"), std::string::npos) << err;
        EXPECT_EQ(std::distance(fs::directory_iterator(Path("fec")), fs::directory_iterator()), 1);
    }
    // The sample stream of the last run, decoded by orv-cli adc: the same lines and blocks.
    const auto samples = Read(Path("samples.bin"));
    EXPECT_NEAR(static_cast<double>(samples.size()), 300 + 4144 + 5200 + 4144 + 100, 6.0);
    fs::remove(Path("log.tlm"));
    ASSERT_EQ(Run("adc " + Q("samples.bin") + " --log " + Q("log.tlm")), 0) << err;
    EXPECT_EQ(out, kLines);
    EXPECT_EQ(Read(Path("log.tlm")), ExpectedLog());
}

TEST_F(CliFixture, BadInputGetsAClearMessage) {
    const auto audio = Recording();
    WriteSound(Path("rec.wav"), SF_FORMAT_WAV | SF_FORMAT_PCM_16, audio);
    // Cut after the first block and the FEC frame: those are logged, then the cut is reported.
    fs::copy_file(Path("rec.wav"), Path("cut.wav"));
    fs::resize_file(Path("cut.wav"), 44 + 2 * static_cast<std::uintmax_t>(audio.size() * 13 / 18));
    std::ofstream(Path("notes.txt")) << "not audio\n";
    {
        std::ofstream raw(Path("odd.raw"), std::ios::binary);
        raw << std::string(8001, '\0');
    }
    const struct {
        std::string args;
        std::string input;
        int code;
        std::string message;  // the start of stderr
        std::string lines;
    } cases[] = {
        {Q("notes.txt") + " --log " + Q("x.tlm"), "/dev/null", 1, "orv-cli audio: \"" + Path("notes.txt") + "\" is not an audio file that can be read: ", ""},
        {"- --log " + Q("x.tlm"), "/dev/null", 2, "orv-cli audio: raw input on stdin needs --rate HZ\n", ""},
        {Q("rec.wav") + " --rate 11025 --log " + Q("x.tlm"), "/dev/null", 2, "orv-cli audio: --rate is for raw input (-); a file gives its own rate\n", ""},
        {"- --rate 4000 --log " + Q("x.tlm"), "/dev/null", 1, "orv-cli audio: sample rate 4000 Hz is outside 8000..192000 Hz\n", ""},
        {"- --rate 48k --log " + Q("x.tlm"), "/dev/null", 2, "orv-cli audio: --rate \"48k\" is not a sample rate in Hz\n", ""},
        {Q("rec.wav") + " --center 4500 --log " + Q("x.tlm"), "/dev/null", 1,
         "orv-cli audio: centre frequency 4500 Hz: the signal would not fit between 0 Hz and half the sample rate (5513 Hz)\n", ""},
        {Q("rec.wav") + " --search 2000 --log " + Q("x.tlm"), "/dev/null", 1, "orv-cli audio: search range 2000 Hz is outside 0..1500 Hz\n", ""},
        {Q("rec.wav") + " --search wide --log " + Q("x.tlm"), "/dev/null", 2, "orv-cli audio: --search \"wide\" is not a frequency in Hz\n", ""},
        {Q("rec.wav"), "/dev/null", 2, "orv-cli audio: --log OUT is required (see orv-cli audio --help)", ""},
        {"- --rate 8000 --log " + Q("odd.tlm"), Path("odd.raw"), 1,
         "orv-cli audio: the raw audio stream ends inside a sample (an odd number of bytes)\norv-cli audio: 0.5 s of audio, 0 blocks", ""},
        {Q("cut.wav") + " --log " + Q("cut.tlm"), "/dev/null", 1, "orv-cli audio: \"" + Path("cut.wav") + "\" is truncated: it ends after ",
         "1 A OK uncoded\n2 A OK fec\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        EXPECT_EQ(Run("audio " + c.args, c.input), c.code);
        EXPECT_EQ(err.rfind(c.message, 0), 0U) << err;
        EXPECT_EQ(out, c.lines);
    }
    EXPECT_EQ(Read(Path("cut.tlm")).size(), 2 * kTelemetryBytes);
    EXPECT_FALSE(fs::exists(Path("x.tlm")));  // refused before anything was written
}

TEST_F(CliFixture, StationDecodesRawAudioOnStdinIntoItsLogAndStopsWhenItEnds) {
    const auto audio = Recording();
    {
        std::ofstream raw(Path("rec.raw"), std::ios::binary);
        for (float s : audio) {
            const auto v = static_cast<std::int16_t>(std::lround(s * 32767.0F));
            raw.put(static_cast<char>(v & 0xFF)).put(static_cast<char>((v >> 8) & 0xFF));
        }
    }
    fs::create_directories(Path("data"));
    EXPECT_EQ(Run("--settings " + Q("orv.ini") + " station --audio-stdin --rate 11025 --center 1500 --search 300 --data-dir " + Q("data") +
                      " --log-fec",
                  Path("rec.raw")),
              1);
    EXPECT_NE(err.find("reading audio from standard input at 11025 Hz"), std::string::npos) << err;
    EXPECT_NE(err.find("the audio on standard input ended; stopping"), std::string::npos) << err;
    EXPECT_EQ(err.find("overrun"), std::string::npos) << err;
    // One block line each, then the log holds the three blocks in order.
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 3) << out;
    const std::string said = "logging to ";
    const std::size_t at = err.find(said);
    ASSERT_NE(at, std::string::npos) << err;
    const std::string logFile = err.substr(at + said.size(), err.find('\n', at) - at - said.size());
    EXPECT_EQ(Read(logFile), ExpectedLog());
}

TEST_F(CliFixture, StationRefusesAudioOptionsThatDoNotFit) {
    const struct {
        std::string args;
        std::string message;
    } cases[] = {
        {"--audio-stdin", "--audio-stdin needs --rate HZ: raw samples carry no rate"},
        {"--audio-udp 7355 --audio-stdin --rate 8000", "give one audio input: --audio-file, --audio-udp, --audio-stdin or --audio-device"},
        {"--audio-udp 70000", "--audio-udp \"70000\" is not a port number 1..65535"},
        {"--audio-udp 7355 --rate 4000", "sample rate 4000 Hz is outside 8000..192000 Hz"},
        {"--audio-udp 7355 --center x", "--center \"x\" is not a frequency in Hz"},
        {"--audio-file a.wav --rate 8000", "--rate is for raw audio (--audio-udp, --audio-stdin); a file gives its own rate"},
        {"--audio-udp 7355 --connect localhost:1", "audio is the station's input: give no --serial, --connect, --baud, --modem or --reconnect"},
        {"--audio-udp 7355 --search 1600", "--search \"1600\" is not a search range in Hz (0 to 1500)"},
        {"--serial /dev/null --center 1500", "--rate, --center and --search belong to an audio input"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        EXPECT_EQ(Run("--settings " + Q("orv.ini") + " station " + c.args), 2);
        EXPECT_EQ(err.rfind("orv-cli station: " + c.message, 0), 0U) << err;
    }
}

}  // namespace
}  // namespace orv
