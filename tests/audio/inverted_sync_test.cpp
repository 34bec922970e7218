// The ADC sample path's acceptance of inverted syncs: off, as with the DSP-93, an inverted
// transmission yields nothing; on, it is decoded inverted back, and upright ones still are.
#include <gtest/gtest.h>

#include "audio_test_util.h"
#include "fec/adc_synth.h"

namespace orv {
namespace {

struct Transmission {
    Block514 block = test::MakeBlock('E', 21);
    FecData data = test::MakeFecData(22);
    std::vector<std::uint8_t> samples;

    explicit Transmission(bool inverted) {
        AdcSynthOptions o;
        o.ebNoDb = 14.0;
        AdcSynthesizer synth(o);
        auto send = [&](std::vector<std::uint8_t> bits) {
            if (inverted)
                for (auto& b : bits) b ^= 1U;
            synth.AppendBits(bits, samples);
        };
        synth.AppendIdle(300, samples);
        send(UncodedBlockBits(block));
        std::array<std::uint8_t, kFecFrameSymbols> frame{};
        FecEncodeFrame(data, frame);
        send(std::vector<std::uint8_t>(frame.begin(), frame.end()));
        synth.AppendIdle(300, samples);
    }
};

struct Received : AdcPathCallouts {
    const FecStatus* status = nullptr;
    std::vector<std::uint8_t> bytes;
    std::vector<FecFrame> frames;
    std::vector<float> gains;  // the sync gain of each frame found
    void RestartAtSync() override {}
    void ReceiveByte(std::uint8_t b) override { bytes.push_back(b); }
    void DecodeFrame(std::span<const SoftSymbol, kFecFrameSymbols> f) override {
        gains.push_back(status->syncGain);
        frames.emplace_back();
        std::copy(f.begin(), f.end(), frames.back().begin());
    }
};

TEST(InvertedSync, OffByDefaultAndDecodedInvertedWhenAccepted) {
    for (const bool inverted : {false, true}) {
        for (const bool accept : {false, true}) {
            SCOPED_TRACE(std::string(inverted ? "inverted" : "upright") + (accept ? ", accepted" : ", default"));
            const Transmission t(inverted);
            FecStatus status;
            Received out;
            out.status = &status;
            AdcSamplePath path(status, out);
            EXPECT_FALSE(path.AcceptInverted());
            path.SetAcceptInverted(accept);
            path.ProcessAdcBytes(t.samples);
            if (inverted && !accept) {
                EXPECT_TRUE(out.bytes.empty());
                EXPECT_TRUE(out.frames.empty());
                continue;
            }
            ASSERT_EQ(out.bytes.size(), kFullBlockBytes);
            EXPECT_TRUE(std::equal(out.bytes.begin(), out.bytes.end(), t.block.begin()));
            ASSERT_EQ(out.frames.size(), 1U);
            FecStatus decode;
            FecData data{};
            ASSERT_TRUE(DecodeFecFrame(out.frames[0], decode, data));
            EXPECT_EQ(data, t.data);
            EXPECT_EQ(decode.channelErrors, 0);
            // The sync gain tells the operator which way the frame came.
            if (inverted) EXPECT_LE(out.gains[0], -kFecSyncThreshold);
            else EXPECT_GT(out.gains[0], kFecSyncThreshold);
        }
    }
}

}  // namespace
}  // namespace orv
