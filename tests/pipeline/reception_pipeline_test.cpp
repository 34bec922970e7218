// The reception pipeline: what each kind of input delivers becomes the expected sequence of
// received blocks, and the block receiver's rules (pause restart, overflow, the verdict label, the
// real-time tap, the stores) as the pipeline's outputs show them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "audio/audio_demodulator.h"
#include "audio/audio_synth.h"
#include "block_recorder.h"
#include "fec/adc_synth.h"
#include "fec/fec_block.h"
#include "fec_test_util.h"
#include "net/network_block_reader.h"
#include "net/wire.h"
#include "pipeline/reception_pipeline.h"
#include "sealed_block.h"

namespace orv {
namespace {

// Records every output of the pipeline as a short text, in order, and the blocks themselves.
struct Recorder final : ReceptionProgressView, ByteTap, BlockSink {
    std::vector<std::string> events;
    std::vector<std::vector<std::uint8_t>> tapped;
    test::BlockRecorder blocks;
    bool tapSends = false;  // the tap stands for a real-time relay with clients

    void Progress(const ReceiverState& r, bool eventsBlock) override {
        events.push_back("progress " + std::string(1, r.blockId) + " " + std::to_string(r.position) + " " +
                         std::string(CrccLabelText(r)) + (eventsBlock ? " events" : ""));
    }
    bool TapBytes(std::span<const std::uint8_t> bytes, const ChunkStart& start) override {
        tapped.emplace_back(bytes.begin(), bytes.end());
        events.push_back(start.startsBlock ? "tap+marker" : "tap");
        return tapSends;
    }
    void TakeBlock(const ReceivedBlock& block) override {
        blocks.TakeBlock(block);
        events.push_back("block " + std::string(1, block.Kind()) + " " + std::string(VerdictText(block.verdict)));
    }
    int Count(const std::string& prefix) const {
        return static_cast<int>(std::count_if(events.begin(), events.end(),
                                              [&](const std::string& e) { return e.rfind(prefix, 0) == 0; }));
    }
};

struct Station {
    explicit Station(ModemType modem = ModemType::Bytes514) {
        state.SetModemType(modem);
        pipeline.SetProgressView(&out);
        pipeline.SetByteTap(&out);
        pipeline.AddSink(out);
    }
    void FeedInChunks(std::span<const std::uint8_t> bytes, std::size_t chunk) {
        for (std::size_t i = 0; i < bytes.size(); i += chunk)
            pipeline.SerialBytes(bytes.subspan(i, std::min(chunk, bytes.size() - i)));
    }
    // ADC samples as the serial port delivers them: 400 a second.
    void FeedSamples(std::span<const std::uint8_t> samples) {
        for (std::size_t i = 0; i < samples.size(); i += 400) {
            pipeline.AdcSamples(samples.subspan(i, std::min<std::size_t>(400, samples.size() - i)));
            clock.Advance(1);
        }
    }
    const std::vector<test::RecordedBlock>& Blocks() const { return out.blocks.blocks; }

    StationState state;
    ManualClock clock{1'000'000'000};
    Recorder out;
    ReceptionPipeline pipeline{state, clock};
};

Block514 MakeBlock(char id, bool good = true, std::uint8_t fill = 0x41) { return test::SealedBlock(id, good, fill); }

struct Expected {
    char kind;
    CrccVerdict verdict;
    BlockOrigin origin;
    bool live = true;
};

TEST(ReceptionPipeline, EachInputGivesItsReceivedBlocks) {
    const Block514 a = MakeBlock('A');
    const Block514 k = MakeBlock('K');
    const FecData data = test::RandomData(7);
    using V = CrccVerdict;
    using O = BlockOrigin;
    struct Row {
        const char* name;
        ModemType modem;
        std::function<void(Station&)> feed;
        std::vector<Expected> expected;
    };
    const Row rows[] = {
        {"serial chunks a second apart form one block",
         ModemType::Bytes514,
         [&](Station& s) {
             for (std::size_t i = 0; i < a.size(); i += 100) {
                 s.pipeline.SerialBytes(std::span(a).subspan(i, std::min<std::size_t>(100, a.size() - i)));
                 s.clock.Advance(1);
             }
         },
         {{'A', V::Ok, O::Serial}}},
        {"a pause of two seconds drops the block cut short and starts the next",
         ModemType::Bytes514,
         [&](Station& s) {
             s.pipeline.SerialBytes(std::span(a).first(300));
             s.clock.Advance(2);
             s.pipeline.SerialBytes(k);
         },
         {{'K', V::Ok, O::Serial}}},
        {"bytes after a block without a pause are dropped",
         ModemType::Bytes514,
         [&](Station& s) {
             std::vector<std::uint8_t> both(a.begin(), a.end());
             both.insert(both.end(), k.begin(), k.end());
             s.FeedInChunks(both, 64);
         },
         {{'A', V::Ok, O::Serial}}},
        {"a damaged block fails and a 512-byte modem's block has no verdict",
         ModemType::Bytes514,
         [&](Station& s) {
             s.pipeline.SerialBytes(MakeBlock('A', false));
             s.clock.Advance(3);
             s.state.SetModemType(ModemType::Bytes512);
             s.pipeline.SerialBytes(std::span(k).first(512));
         },
         {{'A', V::Fail, O::Serial}, {'K', V::NotChecked, O::Serial}}},
        {"relay bytes restart only at a network marker, however long the pause",
         ModemType::Bytes514,
         [&](Station& s) {
             s.state.flags.networkInputActive = true;
             s.pipeline.RelayMarker();
             s.pipeline.RelayBytes(std::span(a).first(200));
             s.clock.Advance(100);
             s.pipeline.RelayBytes(std::span(a).subspan(200));
             s.pipeline.RelayMarker();
             s.pipeline.RelayBytes(k);
         },
         {{'A', V::Ok, O::Relay, false}, {'K', V::Ok, O::Relay, false}}},
        {"whole blocks from another decoder, at their own length and at once",
         ModemType::Bytes514,
         [&](Station& s) {
             s.pipeline.SerialBytes(std::span(a).first(100));  // cut short less than 2 s before
             s.pipeline.WholeBlock(k, O::Kiss);
             s.pipeline.WholeBlock(std::span(a).first(512), O::Kiss);
         },
         {{'K', V::Ok, O::Kiss}, {'A', V::NotChecked, O::Kiss}}},
        {"ADC samples: uncoded blocks and an FEC frame",
         ModemType::Adc,
         [&](Station& s) {
             AdcSynthOptions o;
             o.ebNoDb = 14.0;
             AdcSynthesizer synth(o);
             std::vector<std::uint8_t> samples;
             synth.AppendIdle(200, samples);
             synth.AppendUncodedBlock(k, samples);
             synth.AppendFecFrame(data, samples);
             synth.AppendIdle(10, samples);
             s.FeedSamples(samples);
         },
         {{'K', V::Ok, O::Samples}, {'A', V::Ok, O::FecFrame}}},
        {"a stretch of audio through the demodulator",
         ModemType::Audio,
         [&](Station& s) {
             AudioSynthOptions o;
             o.sampleRate = 8000.0;
             o.esNoDb = 20.0;
             AudioSynthesizer synth(o);
             std::vector<float> audio;
             synth.AppendIdle(400, audio);
             synth.AppendUncodedBlock(a, audio);
             synth.AppendFecFrame(data, audio);
             synth.AppendIdle(200, audio);
             AudioDemodOptions d;
             d.sampleRate = o.sampleRate;
             AudioDemodulator demod(d);
             std::vector<std::uint8_t> samples;
             demod.Process(audio, samples);
             demod.Flush(samples);
             s.pipeline.Adc().Path().SetAcceptInverted(true);
             s.FeedSamples(samples);
         },
         {{'A', V::Ok, O::Samples}, {'A', V::Ok, O::FecFrame}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Station s(row.modem);
        row.feed(s);
        ASSERT_EQ(s.Blocks().size(), row.expected.size());
        for (std::size_t i = 0; i < row.expected.size(); ++i) {
            const test::RecordedBlock& got = s.Blocks()[i];
            const Expected& want = row.expected[i];
            EXPECT_EQ(got.Kind(), want.kind) << i;
            EXPECT_EQ(got.verdict, want.verdict) << i;
            EXPECT_EQ(got.origin, want.origin) << i;
            EXPECT_EQ(got.live, want.live) << i;
            EXPECT_EQ(got.bytes.size(), want.verdict == V::NotChecked ? 512U : 514U) << i;
            // The record is the bytes with the failed mark: byte 0 of a failed block, bytes 0
            // and 1 of a block without a CRCC; the bytes as received carry no mark.
            EXPECT_EQ(got.record[0], got.bytes[0] | (want.verdict == V::Ok ? 0 : kFailedMark)) << i;
            EXPECT_EQ(got.record[1], got.bytes[1] | (want.verdict == V::NotChecked ? kFailedMark : 0)) << i;
            EXPECT_TRUE(std::equal(got.record.begin() + 2, got.record.end(), got.bytes.begin() + 2)) << i;
            EXPECT_EQ(got.fecData.has_value(), want.origin == O::FecFrame) << i;
            if (got.fecData) {
                EXPECT_TRUE(std::equal(got.fecData->begin(), got.fecData->end(), data.begin()));
                const Block514 rebuilt = ReconstructFecBlock(data);
                EXPECT_TRUE(std::equal(got.bytes.begin(), got.bytes.end(), rebuilt.begin()));
            }
            EXPECT_FALSE(got.timeFromInput);
            EXPECT_EQ(got.utcMilliseconds / 1000 * 1000, got.utcMilliseconds);
        }
    }
}

TEST(ReceptionPipeline, BlocksCarryTheTimeAndLivenessTheyCameWith) {
    Station s;
    const Block514 a = MakeBlock('A');
    s.pipeline.WholeBlock(a, BlockOrigin::Kiss, 1'500'000'000'123);
    s.pipeline.SerialBytes(a);  // less than 2 s later: the serial bytes are dropped behind the block
    s.clock.Advance(2);
    s.pipeline.SetLive(false);  // the simulator or the demo
    s.pipeline.SerialBytes(a);
    ASSERT_EQ(s.Blocks().size(), 2U);
    EXPECT_TRUE(s.Blocks()[0].timeFromInput);
    EXPECT_EQ(s.Blocks()[0].utcMilliseconds, 1'500'000'000'123);
    EXPECT_FALSE(s.Blocks()[1].timeFromInput);
    EXPECT_EQ(s.Blocks()[1].utcMilliseconds, s.clock.Now() * 1000);
    EXPECT_FALSE(s.Blocks()[1].live);
}

TEST(ReceptionPipeline, LabelsFollowTheBlockAndTheVerdictComesOnItsLastByte) {
    for (bool good : {true, false}) {
        Station s;
        const Block514 b = MakeBlock('A', good);
        s.FeedInChunks(b, 200);
        const std::string verdict = good ? "OK" : "FAIL";
        const std::vector<std::string> expected = {"tap+marker",         "progress A 200 ---", "tap",
                                                   "progress A 400 ---", "tap",                "progress A 514 ---",
                                                   "progress A 514 " + verdict,                "block A " + verdict};
        EXPECT_EQ(s.out.events, expected);
        EXPECT_EQ(s.state.flags.crccStatus, good);
        EXPECT_EQ(s.state.stores.current[0], good ? 'A' : ('A' | 0x80));
        // The copies were taken as the bytes came, before the failed mark.
        EXPECT_EQ(s.state.stores.lastA[0], 'A');
        EXPECT_EQ(s.state.stores.display[513], b[513]);
    }
}

TEST(ReceptionPipeline, BytesAfterTheBlockAreDroppedWithoutRenewingThePauseTimer) {
    Station s;
    s.pipeline.SerialBytes(MakeBlock('A'));
    const auto lastTime = s.state.receiver.lastTime;
    s.clock.Advance(1);
    const std::uint8_t extra = 0x55;
    s.pipeline.SerialBytes({&extra, 1});
    EXPECT_EQ(s.out.Count("block"), 1);
    EXPECT_EQ(s.state.receiver.lastTime, lastTime);
    EXPECT_EQ(s.state.receiver.position, 515);
    EXPECT_EQ(s.out.events.back(), "tap");  // the tap sees every call, dropped or not
    // Two seconds after the last accepted call a new block starts.
    s.clock.Advance(1);
    s.pipeline.SerialBytes({&extra, 1});
    EXPECT_EQ(s.state.receiver.position, 1);
}

TEST(ReceptionPipeline, OneCallCarryingTheLastByteAndMoreCompletesTheBlock) {
    Station s;
    const Block514 a = MakeBlock('A');
    std::vector<std::uint8_t> twoBlocks(a.begin(), a.end());
    twoBlocks.insert(twoBlocks.end(), a.begin(), a.end());
    s.pipeline.SerialBytes(std::span(twoBlocks).first(300));
    s.pipeline.SerialBytes(std::span(twoBlocks).subspan(300));  // the rest of the block and a whole second one
    EXPECT_EQ(s.out.Count("block"), 1);
    EXPECT_EQ(s.state.receiver.position, 514);
    EXPECT_EQ(s.out.events.back(), "block A OK");
}

TEST(ReceptionPipeline, TheTapSeesEveryCallAndItsSendsKeepDroppedBytesFromRestarting) {
    Station s;
    s.out.tapSends = true;
    const Block514 b = MakeBlock('A');
    s.pipeline.SerialBytes(std::span(b).first(10));
    s.pipeline.SerialBytes(std::span(b).subspan(10));
    const std::vector<std::uint8_t> extra(700, 0x77);  // longer than a block: tapped as it came
    s.pipeline.SerialBytes(extra);
    EXPECT_EQ(s.out.Count("tap+marker"), 1);
    ASSERT_EQ(s.out.tapped.size(), 3U);
    EXPECT_EQ(s.out.tapped[2], extra);
    // A send renews the pause timer: 5 s after the last send the bytes restart and complete a block.
    s.clock.Advance(5);
    s.pipeline.SerialBytes(extra);
    EXPECT_EQ(s.out.Count("block"), 2);
    EXPECT_EQ(s.state.receiver.position, 514);
}

TEST(ReceptionPipeline, AnEBlockIsAnnouncedAtItsFirstByteAndEventsModeRoutesTheDisplayBlock) {
    Station s;
    const Block514 e = MakeBlock('E');
    s.pipeline.SerialBytes(std::span(e).first(1));
    EXPECT_EQ(s.out.events, (std::vector<std::string>{"tap+marker", "progress E 1 --- events"}));
    // Events mode off: E bytes go to the last E block, not to the display block.
    EXPECT_EQ(s.state.stores.lastE[0], 'E');
    EXPECT_EQ(s.state.stores.display[0], 0xFF);  // still no block

    Station events;
    events.state.flags.eventsMode = true;
    events.pipeline.SerialBytes(MakeBlock('A'));
    EXPECT_EQ(events.state.stores.lastA[0], 'A');
    EXPECT_EQ(events.state.stores.display[0], 0xFF);
    events.clock.Advance(3);
    events.pipeline.SerialBytes(MakeBlock('D'));
    EXPECT_EQ(events.state.stores.display[0], 'D');
}

TEST(ReceptionPipeline, TextCopiesAndTheEventPointerNeedAGoodCheck) {
    Station s(ModemType::Bytes512);
    const Block514 k = MakeBlock('K');
    s.pipeline.SerialBytes(std::span(k).first(512));
    EXPECT_FALSE(s.state.flags.crccStatus);
    EXPECT_EQ(s.state.stores.text[0][0], 0);  // no text copy without the status
    s.state.flags.showCrccFailedData = true;  // with failed data shown, the copy is taken
    s.clock.Advance(3);
    s.pipeline.SerialBytes(std::span(k).first(512));
    EXPECT_EQ(s.state.stores.text[0][0], 'K' | 0x80);

    Station p;
    Block514 a = MakeBlock('A', true, 0);
    a[478] = 0x34;
    a[479] = 0x12;
    test::SealCrcc(a);
    p.pipeline.SerialBytes(a);
    EXPECT_EQ(p.state.receiver.eventPointer, 0x1234);
    a[478] = 0x99;  // now the CRCC fails
    p.clock.Advance(3);
    p.pipeline.SerialBytes(a);
    EXPECT_EQ(p.state.receiver.eventPointer, 0x1234);
}

// The relay client's reader in front of the pipeline, as the relay client input joins them.
struct RelayStream final : NetworkBlockSink {
    explicit RelayStream(ReceptionPipeline& pipeline) : pipeline(pipeline) {}
    void SignalNetworkNewBlock() override { pipeline.RelayMarker(); }
    void ReceiveBlockBytes(std::span<const std::uint8_t> bytes) override { pipeline.RelayBytes(bytes); }
    ReceptionPipeline& pipeline;
};

std::vector<std::uint8_t> Framed(const Block514& b) {
    std::vector<std::uint8_t> f(kNetworkSyncMarker.begin(), kNetworkSyncMarker.end());
    f.insert(f.end(), b.begin(), b.end());
    return f;
}

TEST(ReceptionPipeline, AStationFedByAServerPassesOnExactlyWhatItReceived) {
    Station s;
    s.state.flags.networkInputActive = true;
    RelayStream relay(s.pipeline);
    NetworkBlockReader reader(relay);
    Block514 bad = test::NumberedBlock(12);
    bad[513] ^= 1;
    const Block514 good = test::NumberedBlock(13);
    std::vector<std::uint8_t> stream = Framed(bad);
    stream.insert(stream.end(), {1, 2, 3});
    const auto framedGood = Framed(good);
    stream.insert(stream.end(), framedGood.begin(), framedGood.end());
    for (std::size_t i = 0; i < stream.size(); i += 100)
        reader.Read(std::span(stream).subspan(i, std::min<std::size_t>(100, stream.size() - i)));

    // The tapped bytes, with the marker before the first chunk of each block, are the framed blocks.
    std::vector<std::uint8_t> rebuilt;
    for (std::size_t i = 0, chunk = 0; i < s.out.events.size(); ++i) {
        const std::string& e = s.out.events[i];
        if (e.rfind("tap", 0) != 0) continue;
        if (e == "tap+marker") rebuilt.insert(rebuilt.end(), kNetworkSyncMarker.begin(), kNetworkSyncMarker.end());
        rebuilt.insert(rebuilt.end(), s.out.tapped[chunk].begin(), s.out.tapped[chunk].end());
        ++chunk;
    }
    std::vector<std::uint8_t> framed = Framed(bad);
    framed.insert(framed.end(), framedGood.begin(), framedGood.end());
    EXPECT_EQ(rebuilt, framed);
    // The blocks carry the bytes as they came, not the failed mark.
    ASSERT_EQ(s.Blocks().size(), 2U);
    EXPECT_EQ(s.Blocks()[0].bytes, std::vector<std::uint8_t>(bad.begin(), bad.end()));
    EXPECT_EQ(s.Blocks()[0].record[0], 'A' | 0x80);
    EXPECT_EQ(s.Blocks()[1].verdict, CrccVerdict::Ok);
    // A link lost in a block: after reconnecting, the next marker starts a block at once.
    reader.Read(std::span(framedGood).first(100));
    EXPECT_EQ(s.state.receiver.position, 92);
    reader.Reset();
    s.clock.Advance(60);
    reader.Read(framedGood);
    ASSERT_EQ(s.Blocks().size(), 3U);
    EXPECT_EQ(s.Blocks()[2].verdict, CrccVerdict::Ok);
}

TEST(ReceptionPipeline, SinksTakeEachBlockInTheOrderTheyWereAdded) {
    Station s;
    std::vector<int> order;
    struct Numbered final : BlockSink {
        Numbered(std::vector<int>& order, int n) : order(order), n(n) {}
        void TakeBlock(const ReceivedBlock&) override { order.push_back(n); }
        std::vector<int>& order;
        int n;
    };
    Numbered one(order, 1), two(order, 2), three(order, 3);
    s.pipeline.AddSink(one);
    s.pipeline.AddSink(two);
    s.pipeline.AddSink(three);
    s.pipeline.RemoveSink(two);
    s.pipeline.SerialBytes(MakeBlock('A'));
    EXPECT_EQ(order, (std::vector<int>{1, 3}));
}

}  // namespace
}  // namespace orv
