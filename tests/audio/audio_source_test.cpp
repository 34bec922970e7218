// Audio sources: files through libsndfile (WAV, FLAC, Ogg, the left channel of stereo), raw
// 16-bit samples from a stream, and the messages for input that cannot be used.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <sndfile.h>

#include "audio/raw_audio_reader.h"
#include "audio/sound_file_reader.h"

namespace orv {
namespace {

namespace fs = std::filesystem;

struct SourceFixture : ::testing::Test {
    fs::path dir = fs::temp_directory_path() /
                   ("orv_audio_src_" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    SourceFixture() { fs::create_directories(dir); }
    ~SourceFixture() override { fs::remove_all(dir); }
    std::string Path(const char* name) const { return (dir / name).string(); }

    // A file written by libsndfile: `channels` interleaved, channel 0 a ramp, the others -0.5.
    static void WriteFile(const std::string& path, int format, int rate, int channels, int frames) {
        SF_INFO info{};
        info.samplerate = rate;
        info.channels = channels;
        info.format = format;
        SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
        ASSERT_NE(f, nullptr) << sf_strerror(nullptr);
        std::vector<float> v(static_cast<std::size_t>(frames * channels), -0.5F);
        for (int i = 0; i < frames; ++i) v[static_cast<std::size_t>(i * channels)] = Ramp(i);
        ASSERT_EQ(sf_writef_float(f, v.data(), frames), frames);
        sf_close(f);
    }
    static float Ramp(int i) { return static_cast<float>((i % 200) - 100) / 128.0F; }

    static std::vector<float> ReadAll(AudioSource& source) {
        std::vector<float> all, chunk(1000);
        while (const std::size_t n = source.Read(chunk)) all.insert(all.end(), chunk.begin(), chunk.begin() + static_cast<long>(n));
        return all;
    }
};

TEST_F(SourceFixture, ReadsWavFlacAndTheLeftChannel) {
    const struct {
        const char* name;
        int format, rate, channels;
    } cases[] = {
        {"mono.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 48000, 1},
        {"stereo.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 11025, 2},
        {"mono.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 8000, 1},
        {"stereo.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_24, 192000, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(Path(c.name), c.format, c.rate, c.channels, 5000);
        std::string error;
        auto reader = SoundFileReader::Open(Path(c.name), error);
        ASSERT_NE(reader, nullptr) << error;
        EXPECT_EQ(reader->SampleRate(), c.rate);
        const auto samples = ReadAll(*reader);
        EXPECT_EQ(reader->Error(), "");
        ASSERT_EQ(samples.size(), 5000U);
        for (int i = 0; i < 5000; ++i) ASSERT_NEAR(samples[static_cast<std::size_t>(i)], Ramp(i), 1.0 / 32768) << i;
    }
}

TEST_F(SourceFixture, ReadsOggVorbis) {
    const std::string path = Path("tone.ogg");
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = 1;
    info.format = SF_FORMAT_OGG | SF_FORMAT_VORBIS;
    SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(f, nullptr) << sf_strerror(nullptr);
    std::vector<float> tone(44100);
    for (std::size_t i = 0; i < tone.size(); ++i) tone[i] = 0.5F * static_cast<float>(std::sin(2.0 * M_PI * 1500.0 * static_cast<double>(i) / 44100.0));
    sf_writef_float(f, tone.data(), static_cast<sf_count_t>(tone.size()));
    sf_close(f);
    std::string error;
    auto reader = SoundFileReader::Open(path, error);
    ASSERT_NE(reader, nullptr) << error;
    const auto samples = ReadAll(*reader);
    EXPECT_EQ(reader->Error(), "");
    ASSERT_EQ(samples.size(), tone.size());
    double power = 0.0;
    for (float s : samples) power += static_cast<double>(s) * s;
    EXPECT_NEAR(power / static_cast<double>(samples.size()), 0.125, 0.01);  // a 0.5 sine survives lossy coding
}

TEST_F(SourceFixture, SaysWhatIsWrongWithAFile) {
    {
        std::ofstream(Path("notes.wav")) << "these are my notes, not audio\n";
        std::string error;
        EXPECT_EQ(SoundFileReader::Open(Path("notes.wav"), error), nullptr);
        EXPECT_EQ(error.rfind("\"" + Path("notes.wav") + "\" is not an audio file that can be read: ", 0), 0U) << error;
    }
    {
        std::string error;
        EXPECT_EQ(SoundFileReader::Open(Path("absent.flac"), error), nullptr);
        EXPECT_NE(error.find("is not an audio file that can be read"), std::string::npos) << error;
    }
    {
        WriteFile(Path("slow.wav"), SF_FORMAT_WAV | SF_FORMAT_PCM_16, 6000, 1, 100);
        std::string error;
        EXPECT_EQ(SoundFileReader::Open(Path("slow.wav"), error), nullptr);
        EXPECT_EQ(error, "\"" + Path("slow.wav") + "\": sample rate 6000 Hz is outside 8000..192000 Hz");
    }
    // Cut files: the samples that are there are read, then the reader says the file is cut.
    for (const char* name : {"cut.wav", "cut.flac"}) {
        SCOPED_TRACE(name);
        const std::string whole = Path(name);
        const bool wav = std::string(name).ends_with(".wav");
        WriteFile(whole, (wav ? SF_FORMAT_WAV : SF_FORMAT_FLAC) | SF_FORMAT_PCM_16, 8000, 1, 40000);
        fs::resize_file(whole, fs::file_size(whole) / 2);
        std::string error;
        auto reader = SoundFileReader::Open(whole, error);
        ASSERT_NE(reader, nullptr) << error;
        const auto samples = ReadAll(*reader);
        EXPECT_GT(samples.size(), 10000U);
        EXPECT_LT(samples.size(), 40000U);
        EXPECT_FALSE(reader->Error().empty());
        EXPECT_EQ(reader->Error().rfind("\"" + whole + "\"", 0), 0U) << reader->Error();
        if (wav) EXPECT_EQ(reader->Error(), "\"" + whole + "\" is truncated: it ends after " + std::to_string(samples.size()) + " samples");
    }
}

TEST(RawAudioReader, ReadsSigned16BitLittleEndianAndReportsAHalfSample) {
    const std::string bytes("\x00\x80\xFF\x7F\x00\x00\xFF\xFF\x34\x12\x01", 11);
    std::istringstream in(bytes);
    RawAudioReader reader(in, 48000.0);
    std::vector<float> out(3);
    ASSERT_EQ(reader.Read(out), 3U);
    EXPECT_EQ(out, (std::vector<float>{-1.0F, 32767.0F / 32768.0F, 0.0F}));
    ASSERT_EQ(reader.Read(out), 2U);
    EXPECT_EQ(out[0], -1.0F / 32768.0F);
    EXPECT_EQ(out[1], 0x1234 / 32768.0F);
    EXPECT_EQ(reader.Error(), "the raw audio stream ends inside a sample (an odd number of bytes)");
    EXPECT_EQ(reader.Read(out), 0U);
    EXPECT_EQ(AudioRateProblem(48000.0), "");
    EXPECT_EQ(AudioRateProblem(200000.0), "sample rate 200000 Hz is outside 8000..192000 Hz");
}

}  // namespace
}  // namespace orv
