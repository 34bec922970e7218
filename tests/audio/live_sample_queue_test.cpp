// The hand-over of live samples: what does not fit is counted, never lost unnoticed, and raw
// 16-bit samples split between reads come out whole.
#include <gtest/gtest.h>

#include "audio/audio_settings.h"
#include "audio/live_sample_queue.h"
#include "reception/settings_store.h"

namespace orv {
namespace {

TEST(LiveSampleQueue, KeepsOrderAcrossTheRingAndCountsWhatDidNotFit) {
    LiveSampleQueue q(5);
    const std::vector<float> a{1, 2, 3};
    EXPECT_EQ(q.Push(a), 3u);
    std::vector<float> out(2);
    EXPECT_EQ(q.Pop(out), 2u);
    EXPECT_EQ(out, (std::vector<float>{1, 2}));
    // 3 is held; 4 more fit (wrapping round the ring), 2 do not.
    EXPECT_EQ(q.Push(std::vector<float>{4, 5, 6, 7, 8, 9}), 4u);
    EXPECT_EQ(q.PushSome(std::vector<float>{10}), 0u);  // a stream that waits: not an overrun
    const auto overruns = q.TakeOverruns();
    EXPECT_EQ(overruns.samples, 2u);
    EXPECT_EQ(overruns.events, 1u);
    EXPECT_EQ(q.TakeOverruns().samples, 0u);
    EXPECT_EQ(q.TotalOverrunSamples(), 2u);
    out.assign(10, 0);
    ASSERT_EQ(q.Pop(out), 5u);
    EXPECT_EQ(std::vector<float>(out.begin(), out.begin() + 5), (std::vector<float>{3, 4, 5, 6, 7}));
}

TEST(LiveSampleQueue, RawSamplesSplitBetweenReadsComeOutWhole) {
    std::vector<std::uint8_t> carry;
    std::vector<float> out;
    // 0x0001, 0x8000 (-1.0), 0x7FFF: the second is split 1 + 1 bytes between the calls.
    S16leToFloat(std::vector<std::uint8_t>{0x01, 0x00, 0x00}, carry, out);
    EXPECT_EQ(out.size(), 1u);
    S16leToFloat(std::vector<std::uint8_t>{0x80, 0xFF, 0x7F}, carry, out);
    ASSERT_EQ(out.size(), 3u);
    EXPECT_FLOAT_EQ(out[0], 1.0f / 32768.0f);
    EXPECT_FLOAT_EQ(out[1], -1.0f);
    EXPECT_FLOAT_EQ(out[2], 32767.0f / 32768.0f);
    EXPECT_TRUE(carry.empty());
}

TEST(AudioSettings, StoredValuesComeBackAndBadOnesKeepTheDefaults) {
    MemoryStore store;
    const AudioSettings defaults = ReadAudioSettings(store);
    EXPECT_EQ(defaults.source, AudioSourceKind::Udp);
    EXPECT_EQ(defaults.udpPort, 7355);
    EXPECT_EQ(defaults.rate, 48000.0);
    EXPECT_EQ(defaults.centreHz, 1500.0);
    EXPECT_EQ(defaults.searchHz, 1000.0);

    AudioSettings s;
    s.source = AudioSourceKind::File;
    s.device = "USB Audio";
    s.udpPort = 7400;
    s.rate = 11025;
    s.file = "/tmp/beacon.flac";
    s.centreHz = 1512.5;
    s.searchHz = 400.0;
    WriteAudioSettings(store, s);
    EXPECT_EQ(store.Read(kStartupKey, "Audio Source"), "File");
    EXPECT_EQ(store.Read(kStartupKey, "Audio Centre"), "1512.5");
    const AudioSettings back = ReadAudioSettings(store);
    EXPECT_EQ(back.source, s.source);
    EXPECT_EQ(back.device, s.device);
    EXPECT_EQ(back.udpPort, s.udpPort);
    EXPECT_EQ(back.rate, s.rate);
    EXPECT_EQ(back.file, s.file);
    EXPECT_EQ(back.centreHz, s.centreHz);
    EXPECT_EQ(back.searchHz, s.searchHz);
    EXPECT_EQ(store.Read(kStartupKey, "Audio Search"), "400");

    for (const auto& [name, value] : std::vector<std::pair<const char*, const char*>>{
             {"Audio Source", "stdin"}, {"Audio UDP Port", "70000"}, {"Audio Rate", "4000"}, {"Audio Centre", "fast"},
             {"Audio Search", "2000"}})
        store.Write(kStartupKey, name, value);
    const AudioSettings bad = ReadAudioSettings(store);
    EXPECT_EQ(bad.source, AudioSourceKind::Udp);
    EXPECT_EQ(bad.udpPort, 7355);
    EXPECT_EQ(bad.rate, 48000.0);
    EXPECT_EQ(bad.centreHz, 1500.0);
    EXPECT_EQ(bad.searchHz, 1000.0);
}

}  // namespace
}  // namespace orv
