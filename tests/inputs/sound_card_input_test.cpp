// The sound card through ALSA, as the station opens it. The card is an ALSA device defined in a
// private ~/.asoundrc: the "file" plugin recording from a file of known samples, so the samples
// must come out of the queue as they are in the file, through the real capture path.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <thread>
#include <vector>

#include "file_contents.h"
#include "inputs/sound_card_input.h"
#include "temp_dir.h"

namespace orv {
namespace {

// A home whose .asoundrc defines the capture device "orvtest" ("Orv test input") playing `samples`.
void UseTestCard(const test::TempDir& home, const std::vector<std::int16_t>& samples) {
    std::vector<std::uint8_t> raw;
    for (std::int16_t s : samples) {
        raw.push_back(static_cast<std::uint8_t>(s & 0xFF));
        raw.push_back(static_cast<std::uint8_t>((s >> 8) & 0xFF));
    }
    test::WriteBytes(home / "in.raw", raw);
    test::WriteText(home / ".asoundrc", "pcm.orvtest {\n  type file\n  slave.pcm \"null\"\n  file \"/dev/null\"\n"
                                        "  infile \"" + home.File("in.raw") + "\"\n  format \"raw\"\n"
                                        "  hint { show on\n description \"Orv test input\" }\n}\n");
    setenv("HOME", home.File("").c_str(), 1);
}

TEST(SoundCardInput, RecordsTheCardsSamplesInOrder) {
    const test::TempDir home;
    std::vector<std::int16_t> samples(24000);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<std::int16_t>(std::lround(20000 * std::sin(0.01 * static_cast<double>(i * i % 7919))));
    UseTestCard(home, samples);
    EXPECT_TRUE(SoundCardInput::DeviceNames().contains("orvtest"));

    for (const char* name : {"orvtest", "Orv test input"}) {
        SCOPED_TRACE(name);
        std::string error;
        const auto card = SoundCardInput::Open(name, error);
        ASSERT_TRUE(card) << error;
        EXPECT_EQ(card->SampleRate(), 48000.0);
        std::vector<float> got;
        std::vector<float> piece(4096);
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (got.size() < samples.size() && std::chrono::steady_clock::now() < until) {
            const std::size_t n = card->Queue().Pop(piece);
            got.insert(got.end(), piece.begin(), piece.begin() + static_cast<long>(n));
            if (n == 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ASSERT_GE(got.size(), samples.size());
        for (std::size_t i = 0; i < samples.size(); ++i)
            ASSERT_EQ(got[i], samples[i] / 32768.0f) << "sample " << i;
        EXPECT_TRUE(card->Error().isEmpty()) << card->Error().toStdString();
    }
}

TEST(SoundCardInput, AMissingCardIsNamedWithTheWayToListThem) {
    const test::TempDir home;
    UseTestCard(home, {0});
    std::string error;
    EXPECT_FALSE(SoundCardInput::Open("no-such-card", error));
    EXPECT_NE(error.find("there is no sound card input \"no-such-card\""), std::string::npos) << error;
    EXPECT_NE(error.find("orv-cli audio --list-devices"), std::string::npos) << error;
}

}  // namespace
}  // namespace orv
