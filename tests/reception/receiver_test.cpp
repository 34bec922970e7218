#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "reception/receiver.h"
#include "sealed_block.h"

namespace orv {
namespace {

// Records every call-out as a short text, in order.
struct Recorder : ReceiverHooks {
    std::vector<std::string> events;
    std::vector<Block512> logged;
    std::vector<std::vector<std::uint8_t>> chunks;
    bool clients = false, realTime = true, udp = false;

    void ShowBlockId(char id) override { events.push_back(std::string("id:") + id); }
    void ShowByteCount(std::string_view t) override { events.push_back("count:" + std::string(t)); }
    void ShowCrccStatus(std::string_view t) override { events.push_back("crcc:" + std::string(t)); }
    void EnableEvents() override { events.push_back("events"); }
    bool RelayHasClients() const override { return clients; }
    bool RelayRealTime() const override { return realTime; }
    bool UdpRelayOn() const override { return udp; }
    void ClearRelayStatus() override { events.push_back("clear-status"); }
    void RelayChunk(std::span<const std::uint8_t> b, bool marker) override {
        chunks.emplace_back(b.begin(), b.end());
        events.push_back(marker ? "chunk+marker" : "chunk");
    }
    void RelayFullBlock(std::span<const std::uint8_t, 514>) override { events.push_back("full"); }
    void RelayDatagram(std::span<const std::uint8_t> b) override { events.push_back("udp:" + std::to_string(b.size())); }
    void ShowRelayMode(bool rt) override { events.push_back(rt ? "mode:rt" : "mode:fb"); }
    void ShowTextBlock(std::span<const std::uint8_t, 512> b) override {
        events.push_back("text:" + std::string(1, static_cast<char>(b[0])));
    }
    void AppendToLog(std::span<const std::uint8_t, 512> r) override {
        Block512 copy;
        std::copy(r.begin(), r.end(), copy.begin());
        logged.push_back(copy);
        events.push_back("log");
    }
    void DispatchBlock() override { events.push_back("dispatch"); }

    int Count(const std::string& e) const { return static_cast<int>(std::count(events.begin(), events.end(), e)); }
    bool Has(const std::string& e) const { return Count(e) > 0; }
};

// A 514-byte block of the given kind, every other byte 'A', with a correct CRCC (or a broken one).
Block514 MakeBlock(char id, bool goodCrcc = true, std::uint8_t fill = 0x41) {
    return test::SealedBlock(id, goodCrcc, fill);
}

struct Fixture : ::testing::Test {
    StationState station;
    ManualClock clock{1000};
    Recorder hooks;
    BlockReceiver rx{station, clock, hooks};

    Fixture() { station.flags.selection = TextSelection::Raw; }
    void Feed(std::span<const std::uint8_t> bytes) { rx.ReceiveBlockBytes(bytes); }
    void FeedInChunks(std::span<const std::uint8_t> bytes, std::size_t chunk) {
        for (std::size_t i = 0; i < bytes.size(); i += chunk) Feed(bytes.subspan(i, std::min(chunk, bytes.size() - i)));
    }
};

TEST_F(Fixture, ChunksWithShortPausesFormOneBlockJudgedOnItsLastByte) {
    for (bool good : {true, false}) {
        hooks.events.clear();
        clock.Advance(5);
        const Block514 b = MakeBlock('A', good);
        // 100-byte chunks, one clock second apart: never a two-second pause.
        for (std::size_t i = 0; i < 514; i += 100) {
            Feed(std::span(b).subspan(i, std::min<std::size_t>(100, 514 - i)));
            clock.Advance(1);
            if (i + 100 < 514) {
                EXPECT_EQ(hooks.events.back(), "count:" + std::to_string(i + 100));
                EXPECT_EQ(station.receiver.crccLabel, "---");
            }
        }
        EXPECT_EQ(station.receiver.crccLabel, good ? "OK" : "FAIL");
        EXPECT_EQ(station.flags.crccStatus, good);
        EXPECT_EQ(station.stores.current[0], good ? 'A' : ('A' | 0x80));
        EXPECT_EQ(hooks.Count("dispatch"), 1);
        // The copies were taken as the bytes came, before the failed mark.
        EXPECT_EQ(station.stores.lastA[0], 'A');
        EXPECT_EQ(station.stores.display[513], b[513]);
        EXPECT_EQ(station.stores.lastComplete[0], station.stores.current[0]);
    }
}

TEST_F(Fixture, OrderOfCallOutsForACompleteBlock) {
    station.logging.logging = true;
    hooks.clients = true;
    hooks.realTime = false;
    hooks.udp = true;
    const Block514 b = MakeBlock('A');
    Feed(b);
    const std::vector<std::string> expected = {"crcc:---",  "id:A",  "count:514", "crcc:OK",  "text:A",
                                               "log",       "dispatch", "full",    "udp:514"};
    EXPECT_EQ(hooks.events, expected);
}

TEST_F(Fixture, ByteAfterTheBlockIsDroppedAndDoesNotRenewLastTime) {
    const Block514 b = MakeBlock('A');
    Feed(b);
    const auto lastTime = station.receiver.lastTime;
    clock.Advance(1);
    const std::uint8_t extra = 0x55;
    Feed({&extra, 1});
    EXPECT_EQ(hooks.Count("dispatch"), 1);
    EXPECT_EQ(station.receiver.lastTime, lastTime);
    EXPECT_EQ(station.receiver.position, 515);
    // One second later is two seconds after the last accepted call: a new block starts.
    clock.Advance(1);
    Feed({&extra, 1});
    EXPECT_EQ(station.receiver.position, 1);
}

TEST_F(Fixture, BackToBackBlocksRestartOnlyAfterTwoClockSeconds) {
    const Block514 a = MakeBlock('A');
    const Block514 k = MakeBlock('K');
    std::vector<std::uint8_t> stream(a.begin(), a.end());
    stream.insert(stream.end(), k.begin(), k.end());
    // 64-byte reads one per second: the first call after the block that is 2 s late restarts.
    int completed = 0;
    for (std::size_t i = 0; i < stream.size(); i += 64) {
        Feed(std::span(stream).subspan(i, std::min<std::size_t>(64, stream.size() - i)));
        if (hooks.Has("crcc:OK") || hooks.Has("crcc:FAIL")) ++completed, hooks.events.clear();
        clock.Advance(1);
    }
    EXPECT_EQ(completed, 1);
    EXPECT_LT(station.receiver.position, 514);  // the restarted block is still incomplete
    EXPECT_GT(station.receiver.position, 0);
}

TEST_F(Fixture, OneCallCarryingTheLastByteAndMoreCompletesTheBlock) {
    const Block514 a = MakeBlock('A');
    std::vector<std::uint8_t> twoBlocks(a.begin(), a.end());
    twoBlocks.insert(twoBlocks.end(), a.begin(), a.end());
    Feed(std::span(twoBlocks).first(300));
    Feed(std::span(twoBlocks).subspan(300));  // 214 bytes of the first block and a whole second one
    EXPECT_EQ(station.receiver.crccLabel, "OK");
    EXPECT_EQ(hooks.Count("dispatch"), 1);
    EXPECT_EQ(station.receiver.position, 514);
    EXPECT_EQ(hooks.events.back(), "dispatch");
}

TEST_F(Fixture, FiveHundredTwelveByteModemMarksAndKeepsStatus) {
    station.SetModemType(ModemType::Bytes512);
    station.logging.logging = true;
    station.flags.selection = TextSelection::K;
    Block514 k = MakeBlock('K');
    Feed(std::span(k).first(512));
    EXPECT_EQ(station.receiver.crccLabel, "NA");
    EXPECT_EQ(station.stores.current[0], 'K' | 0x80);
    EXPECT_EQ(station.stores.current[1], ' ' | 0x80);
    EXPECT_FALSE(station.flags.crccStatus);
    EXPECT_EQ(station.stores.text[0][0], 0);  // no text copy without status
    EXPECT_TRUE(hooks.Has("dispatch"));
    EXPECT_TRUE(hooks.Has("log"));
    // With failed data shown, the copy is taken.
    station.flags.showCrccFailedData = true;
    clock.Advance(3);
    Feed(std::span(k).first(512));
    EXPECT_EQ(station.stores.text[0][0], 'K' | 0x80);
}

TEST_F(Fixture, DispatchFollowsTheTextSelection) {
    struct Case {
        TextSelection selection;
        char id;
        bool eventsMode;
        bool dispatched;
        bool textShown;
    };
    const Case cases[] = {
        {TextSelection::Raw, 'A', false, true, true},   {TextSelection::K, 'A', false, false, false},
        {TextSelection::K, 'K', false, true, false},    {TextSelection::L, 'K', false, false, false},
        {TextSelection::Off, 'D', false, true, false},  {TextSelection::Raw, 'E', false, false, true},
        {TextSelection::Raw, 'E', true, true, true},    {TextSelection::Raw, 'Z', false, false, true},
    };
    for (const Case& c : cases) {
        hooks.events.clear();
        station.flags.selection = c.selection;
        station.flags.eventsMode = c.eventsMode;
        clock.Advance(3);
        Feed(MakeBlock(c.id));
        EXPECT_EQ(hooks.Has("dispatch"), c.dispatched) << c.id;
        EXPECT_EQ(hooks.Has(std::string("text:") + c.id), c.textShown) << c.id;
    }
    // The K block reached its copy even though the view did not redraw.
    EXPECT_EQ(station.stores.text[0][0], 'K');
}

TEST_F(Fixture, BlockIdShownAtFirstByteAndEventsEnabledByAnEBlock) {
    const Block514 e = MakeBlock('E');
    Feed(std::span(e).first(1));
    EXPECT_EQ(hooks.events, (std::vector<std::string>{"crcc:---", "id:E", "events", "count:1"}));
    // Events mode off: E bytes go to the last E block, not to the display block.
    EXPECT_EQ(station.stores.lastE[0], 'E');
    EXPECT_EQ(station.stores.display[0], 0xFF);  // still no block
}

TEST_F(Fixture, EventsModeRoutesABytesAwayFromTheDisplayBlock) {
    station.flags.eventsMode = true;
    Feed(MakeBlock('A'));
    EXPECT_EQ(station.stores.lastA[0], 'A');
    EXPECT_EQ(station.stores.display[0], 0xFF);  // still no block
    clock.Advance(3);
    Feed(MakeBlock('D'));
    EXPECT_EQ(station.stores.display[0], 'D');
}

TEST_F(Fixture, EventPointerOnlyFromGoodStandardABlocks) {
    Block514 a = MakeBlock('A', true, 0);
    a[478] = 0x34;
    a[479] = 0x12;
    test::SealCrcc(a);
    Feed(a);
    EXPECT_EQ(station.receiver.eventPointer, 0x1234);
    a[478] = 0x99;  // now the CRCC fails
    clock.Advance(3);
    Feed(a);
    EXPECT_EQ(station.receiver.eventPointer, 0x1234);
}

TEST_F(Fixture, LogDecisionAndStamp) {
    struct Case {
        bool good, useCrcc, aOnly;
        char id;
        bool logged;
    };
    const Case cases[] = {
        {true, true, false, 'K', true},   {false, true, false, 'A', false}, {false, false, false, 'A', true},
        {true, false, true, 'K', false},  {true, false, true, 'A', true},
    };
    station.logging.logging = true;
    for (const Case& c : cases) {
        hooks.logged.clear();
        station.logging.useCrcc = c.useCrcc;
        station.logging.aOnly = c.aOnly;
        clock.Advance(3);
        Feed(MakeBlock(c.id, c.good));
        EXPECT_EQ(hooks.logged.size(), c.logged ? 1U : 0U) << c.id << c.good << c.useCrcc << c.aOnly;
    }
    // A failed A block is logged with the stamp and the failed mark; the text view saw neither stamp.
    const Block514 bad = MakeBlock('A', false);
    hooks.logged.clear();
    clock.Advance(3);
    Feed(bad);
    ASSERT_EQ(hooks.logged.size(), 1U);
    EXPECT_EQ(hooks.logged[0][0], 'A' | 0x80);
    EXPECT_EQ(std::string(hooks.logged[0].begin() + 466, hooks.logged[0].begin() + 469), "P3D");
    EXPECT_EQ(hooks.logged[0][469], bad[512]);
    EXPECT_EQ(station.stores.lastComplete[466], 'P');
}

TEST_F(Fixture, EventNumberFromLoggedStandardEBlocks) {
    station.logging.logging = true;
    Block514 e = MakeBlock('E', true, 0);
    std::memcpy(&e[135], "00A5", 4);
    test::SealCrcc(e);
    Feed(e);
    EXPECT_EQ(station.receiver.eventNumber, 0xA5);
}

TEST_F(Fixture, RealTimeRelaySendsEveryCallWithTheMarkerAtANewBlock) {
    hooks.clients = true;
    const Block514 b = MakeBlock('A');
    Feed(std::span(b).first(10));
    Feed(std::span(b).subspan(10));
    std::vector<std::uint8_t> extra(700, 0x77);  // longer than a block: relayed as it came
    Feed(extra);
    EXPECT_EQ(hooks.Count("chunk+marker"), 1);
    EXPECT_EQ(hooks.Count("chunk"), 2);
    ASSERT_EQ(hooks.chunks.size(), 3U);
    EXPECT_EQ(hooks.chunks[2], extra);
    // Relay sends renew the last time, so dropped bytes keep the block from restarting.
    clock.Advance(5);
    Feed(extra);
    EXPECT_EQ(station.receiver.position, 514);  // restarted (5 s since the last send) and completed
}

TEST_F(Fixture, FecBlockAlwaysStartsANewBlock) {
    // Less than two seconds after a block cut short, and right after a complete one: the rebuilt
    // block is neither stitched to the first nor dropped behind the second.
    const Block514 a = MakeBlock('A');
    Feed(std::span(a).first(100));
    for (int i = 0; i < 2; ++i) {
        clock.Advance(1);
        hooks.events.clear();
        rx.ReceiveFecBlock(a);
        EXPECT_EQ(station.receiver.crccLabel, "OK");
        EXPECT_EQ(hooks.events.back(), "count:FEC");
        EXPECT_FALSE(station.receiver.fecDelivery);
    }
}

TEST_F(Fixture, NetworkInputRestartsOnlyAtAMarker) {
    station.flags.networkInputActive = true;
    const Block514 a = MakeBlock('A');
    rx.SignalNetworkNewBlock();
    Feed(std::span(a).first(200));
    clock.Advance(100);  // no time-out in network input mode
    Feed(std::span(a).subspan(200));
    EXPECT_EQ(station.receiver.crccLabel, "OK");
    EXPECT_TRUE(hooks.Has("mode:rt"));
    rx.SignalNetworkNewBlock();
    Feed(std::span(a).first(5));
    EXPECT_EQ(station.receiver.position, 5);
}

TEST_F(Fixture, SyncRestartStartsANewBlockWithoutAPause) {
    const Block514 a = MakeBlock('A');
    Feed(std::span(a).first(300));
    rx.RestartAtSync();
    Feed(a);
    EXPECT_EQ(station.receiver.crccLabel, "OK");
}

}  // namespace
}  // namespace orv
