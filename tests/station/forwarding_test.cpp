// The station's forwarding end to end: KISS out of one station read by others gives the same log,
// SiDS through the station (live blocks only, never replays or the demo, the queue across a
// restart), MQTT from the station. Loopback sockets, a local HTTP server and a mosquitto broker
// started by the tests.
#include <gtest/gtest.h>

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QUrlQuery>
#include <fstream>
#include <map>

#include "forward/kiss.h"
#include "forward/kiss_server.h"
#include "forward/sids_submitter.h"
#include "forward_blocks.h"
#include "free_port.h"
#include "http_test_server.h"
#include "mosquitto_broker.h"
#include "qt_support.h"
#include "reception/clock.h"
#include "station/forwarding.h"
#include "station/forwarding_settings.h"
#include "station/headless_station.h"
#include "station_store.h"

namespace orv {
namespace {

using test::EnsureApp;
using test::WaitUntil;

// Six A blocks, an E block, one whose CRCC fails and one of 512 bytes (from a decoder that
// strips the CRCC): the kinds and verdicts a log and a relay must keep apart.
std::vector<std::vector<std::uint8_t>> MixedBlocks() {
    std::vector<std::vector<std::uint8_t>> blocks;
    for (std::uint32_t n = 1; n <= 6; ++n) {
        const Block514 b = test::ForwardBlock(n);
        blocks.emplace_back(b.begin(), b.end());
    }
    const Block514 e = test::ForwardBlock(7, 'E');
    blocks.emplace_back(e.begin(), e.end());
    Block514 failed = test::ForwardBlock(8);
    failed[300] ^= 0x40;
    blocks.emplace_back(failed.begin(), failed.end());
    const Block514 short512 = test::ForwardBlock(9);
    blocks.emplace_back(short512.begin(), short512.begin() + 512);
    return blocks;
}

std::string WriteKissFile(const QTemporaryDir& dir, const std::string& name,
                          const std::vector<std::vector<std::uint8_t>>& blocks) {
    std::vector<std::uint8_t> bytes;
    for (const auto& b : blocks) AppendKissFrame(bytes, b);
    const std::string path = dir.filePath(QString::fromStdString(name)).toStdString();
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
    return path;
}

// Every file of DIR/telemetry by name, with its bytes.
std::map<std::string, std::string> LogFiles(const std::string& dataDir) {
    std::map<std::string, std::string> files;
    const QDir dir(QString::fromStdString(dataDir + "/telemetry"));
    for (const QString& name : dir.entryList(QDir::Files)) {
        std::ifstream in(dir.filePath(name).toStdString(), std::ios::binary);
        files[name.toStdString()] = std::string(std::istreambuf_iterator<char>(in), {});
    }
    return files;
}

std::size_t LoggedBytes(const std::string& dataDir) {
    std::size_t n = 0;
    for (const auto& [name, bytes] : LogFiles(dataDir)) n += bytes.size();
    return n;
}

// One headless station with its own store and data directory.
struct TestStation {
    MemoryStore store;
    std::vector<std::string> reports;
    std::unique_ptr<HeadlessStation> station;
    bool ended = false;

    TestStation(const QTemporaryDir& dir, const std::string& name, HeadlessSetup setup, const Clock& clock) {
        test::FillStore(store, dir.filePath(QString::fromStdString(name + "_settings")));
        setup.dataDir = dir.filePath(QString::fromStdString(name)).toStdString();
        station = std::make_unique<HeadlessStation>(setup, store, clock,
                                                    [this](const std::string& line) { reports.push_back(line); });
        QObject::connect(station.get(), &HeadlessStation::Ended, [this] { ended = true; });
    }
    std::string Reports() const {
        std::string all;
        for (const auto& r : reports) all += r + "\n";
        return all;
    }
    Forwarding& forwarding() { return station->station().forwarding(); }
};

// Station A reads KISS frames from a file, serves KISS on loopback and appends KISS to a file;
// B reads A's server, C reads A's file. All three logs are the same, byte for byte.
TEST(StationForwardingTest, OwnKissOutputFedToOtherStationsGivesTheSameLog) {
    EnsureApp();
    QTemporaryDir dir;
    ManualClock clock{1796869479};
    const auto blocks = MixedBlocks();

    HeadlessSetup a;
    a.forwarding.kissIn = WriteKissFile(dir, "in.kiss", blocks);
    a.forwarding.kissOutFile = dir.filePath("out.kiss").toStdString();
    TestStation stationA(dir, "a", a, clock);
    QString error;
    ASSERT_TRUE(stationA.forwarding().StartKissServer(0, error, true)) << error.toStdString();

    HeadlessSetup b;
    b.forwarding.kissConnectHost = "127.0.0.1";
    b.forwarding.kissConnectPort = stationA.forwarding().kissServer()->Server().Port();
    TestStation stationB(dir, "b", b, clock);
    ASSERT_EQ(stationB.station->Start(), 0) << stationB.Reports();
    ASSERT_TRUE(WaitUntil([&] { return stationA.forwarding().kissServer()->Server().HasClients(); }));

    ASSERT_EQ(stationA.station->Start(), 0) << stationA.Reports();
    ASSERT_TRUE(WaitUntil([&] { return stationA.ended; })) << stationA.Reports();
    const std::size_t expected = LoggedBytes(dir.filePath("a").toStdString());
    EXPECT_EQ(expected, blocks.size() * kTelemetryBytes) << stationA.Reports();
    ASSERT_TRUE(WaitUntil([&] { return LoggedBytes(dir.filePath("b").toStdString()) >= expected; }))
        << stationB.Reports();

    HeadlessSetup c;
    c.forwarding.kissIn = a.forwarding.kissOutFile;
    TestStation stationC(dir, "c", c, clock);
    ASSERT_EQ(stationC.station->Start(), 0) << stationC.Reports();
    ASSERT_TRUE(WaitUntil([&] { return stationC.ended; })) << stationC.Reports();

    const auto logA = LogFiles(dir.filePath("a").toStdString());
    ASSERT_FALSE(logA.empty());
    EXPECT_EQ(LogFiles(dir.filePath("b").toStdString()), logA);
    EXPECT_EQ(LogFiles(dir.filePath("c").toStdString()), logA);
    // The failed block and the 512-byte block keep their verdicts through the round trip.
    const std::string& log = logA.begin()->second;
    EXPECT_EQ(static_cast<std::uint8_t>(log[7 * kTelemetryBytes]) & kFailedMark, kFailedMark);
    EXPECT_EQ(static_cast<std::uint8_t>(log[8 * kTelemetryBytes + 1]) & kFailedMark, kFailedMark);
    EXPECT_EQ(static_cast<std::uint8_t>(log[0]), 'A');
}

// Frames of other sizes are counted and skipped with one message; the good ones still arrive.
TEST(StationForwardingTest, KissFramesOfOtherSizesAreSkippedWithOneMessage) {
    EnsureApp();
    QTemporaryDir dir;
    ManualClock clock{1796869479};
    auto blocks = MixedBlocks();
    blocks.insert(blocks.begin() + 2, std::vector<std::uint8_t>(100, 0x41));
    blocks.insert(blocks.begin() + 5, std::vector<std::uint8_t>(513, 0x41));
    HeadlessSetup setup;
    setup.forwarding.kissIn = WriteKissFile(dir, "in.kiss", blocks);
    TestStation s(dir, "s", setup, clock);
    ASSERT_EQ(s.station->Start(), 0) << s.Reports();
    ASSERT_TRUE(WaitUntil([&] { return s.ended; }));
    EXPECT_EQ(LoggedBytes(dir.filePath("s").toStdString()), 9 * kTelemetryBytes);
    EXPECT_NE(s.Reports().find("skipped 2 frames"), std::string::npos) << s.Reports();
}

struct StationSidsTest : ::testing::Test {
    QTemporaryDir dir;
    ManualClock clock{1796869479};
    test::HttpTestServer server;

    StationSidsTest() { EnsureApp(); }

    HeadlessSetup Setup(const std::string& kissFile, quint16 port) {
        HeadlessSetup setup;
        setup.forwarding.kissIn = kissFile;
        setup.forwarding.sidsUrl = "http://127.0.0.1:" + std::to_string(port) + "/api/telemetry/";
        setup.forwarding.sids.callsign = "TE5T";
        setup.forwarding.sids.latitude = 52.0146;
        setup.forwarding.sids.longitude = -4.3647;
        setup.forwarding.sidsQueueFile = dir.filePath("sids.queue").toStdString();
        return setup;
    }
};

// Live blocks with a good CRCC are posted with the station's fields; the failed and the 512-byte
// block are not, nor the same frame a second time. The queue keeps what a server that is down did not take across a restart of the
// station, and the next station sends it once the server is back.
TEST_F(StationSidsTest, LiveBlocksArePostedAndTheQueueOutlivesARestart) {
    const quint16 port = test::FreeTcpPort();  // nobody listens yet
    auto blocks = MixedBlocks();
    blocks.push_back(blocks.front());  // the same frame again, from a second decoder
    const std::string kiss = WriteKissFile(dir, "in.kiss", blocks);
    {
        TestStation s(dir, "first", Setup(kiss, port), clock);
        ASSERT_EQ(s.station->Start(), 0) << s.Reports();
        ASSERT_TRUE(WaitUntil([&] { return s.ended; }));
        SidsSubmitter* sids = s.forwarding().sids();
        ASSERT_NE(sids, nullptr);
        EXPECT_EQ(sids->Queued(), 7U);  // 6 A blocks and the E block, the repeated one once
        EXPECT_TRUE(s.forwarding().SidsCountsText().endsWith("1 duplicates skipped"));
        ASSERT_TRUE(WaitUntil([&] { return !sids->LastError().isEmpty() || !sids->Busy(); }));
    }
    ASSERT_TRUE(server.Listen(port));
    HeadlessSetup again = Setup("", port);
    again.forwarding.kissIn = WriteKissFile(dir, "empty.kiss", {});
    TestStation s(dir, "second", again, clock);
    ASSERT_EQ(s.station->Start(), 0) << s.Reports();
    ASSERT_TRUE(WaitUntil([&] { return server.requests.size() >= 7 && s.forwarding().sids()->Queued() == 0; }))
        << s.Reports() << server.requests.size();
    test::RunFor(300);
    ASSERT_EQ(server.requests.size(), 7U);
    EXPECT_EQ(s.forwarding().sids()->Submitted(), 7U);
    const auto& first = server.requests.front();
    EXPECT_EQ(first.method, "POST");
    EXPECT_EQ(first.path, "/api/telemetry/");
    const QUrlQuery form(QString::fromStdString(first.body));
    EXPECT_EQ(form.queryItemValue("noradID", QUrl::FullyDecoded), "26609");
    EXPECT_EQ(form.queryItemValue("source", QUrl::FullyDecoded), "TE5T");
    EXPECT_EQ(form.queryItemValue("timestamp", QUrl::FullyDecoded), "2026-12-10T02:24:39Z");
    EXPECT_EQ(form.queryItemValue("longitude", QUrl::FullyDecoded), "4.3647W");
    const Block514 one = test::ForwardBlock(1);
    EXPECT_EQ(form.queryItemValue("frame", QUrl::FullyDecoded).toStdString(), HexText(one));
}

// Blocks shown from a replayed log and blocks of the demo (or the simulator) are never submitted.
TEST_F(StationSidsTest, NothingIsSubmittedFromReplaysOrTheDemo) {
    ASSERT_TRUE(server.Listen());
    const std::string kiss = WriteKissFile(dir, "in.kiss", MixedBlocks());

    HeadlessSetup demo = Setup(kiss, server.Port());
    demo.simulated = true;
    TestStation simulated(dir, "demo", demo, clock);
    ASSERT_EQ(simulated.station->Start(), 0) << simulated.Reports();
    ASSERT_TRUE(WaitUntil([&] { return simulated.ended; }));
    EXPECT_EQ(LoggedBytes(dir.filePath("demo").toStdString()), 9 * kTelemetryBytes);  // received all the same
    EXPECT_EQ(simulated.forwarding().sids()->Queued(), 0U);
    EXPECT_NE(simulated.Reports().find("none will be submitted"), std::string::npos);
    simulated.station.reset();

    // The demo's log replayed in a station that submits.
    const auto logs = LogFiles(dir.filePath("demo").toStdString());
    ASSERT_EQ(logs.size(), 1U);
    HeadlessSetup live = Setup(WriteKissFile(dir, "empty.kiss", {}), server.Port());
    TestStation replaying(dir, "replay", live, clock);
    ASSERT_EQ(replaying.station->Start(), 0) << replaying.Reports();
    Station& station = replaying.station->station();
    station.OpenReplay();
    ASSERT_TRUE(station.LoadReplayFile(dir.filePath("demo/telemetry/" + QString::fromStdString(logs.begin()->first))
                                           .toStdString())
                    .loaded);
    for (int i = 0; i < 9; ++i) {
        station.replay().ForwardOne();
        station.ShowReplayBlock();
    }
    test::RunFor(500);
    EXPECT_EQ(replaying.forwarding().sids()->Queued(), 0U);
    EXPECT_EQ(replaying.forwarding().sids()->Submitted(), 0U);
    EXPECT_TRUE(server.requests.empty());
}

// The station publishes every block it completes, and the telemetry of its good A blocks.
TEST(StationMqttTest, StationPublishesItsBlocks) {
    if (test::MosquittoProgram().isEmpty()) GTEST_SKIP() << "the mosquitto broker is not installed";
    EnsureApp();
    QTemporaryDir dir;
    ManualClock clock{1796869479};
    test::MosquittoBroker broker;
    ASSERT_TRUE(broker.Start()) << broker.Output().toStdString();
    test::MqttRecorder recorder(broker.Port(), "dl1abc");
    ASSERT_TRUE(WaitUntil([&] { return recorder.Subscribed(); }));

    HeadlessSetup setup;
    setup.forwarding.kissIn = WriteKissFile(dir, "in.kiss", MixedBlocks());
    MqttOptions mqtt;
    mqtt.port = broker.Port();
    mqtt.topicPrefix = "dl1abc/ao40";
    setup.forwarding.mqtt = mqtt;
    TestStation s(dir, "s", setup, clock);
    ASSERT_EQ(s.station->Start(), 0) << s.Reports();
    // 9 blocks, and the telemetry of the A blocks that did not fail (the 512-byte one has no CRCC).
    ASSERT_TRUE(WaitUntil([&] { return recorder.Count() >= 16; })) << s.Reports();
    test::RunFor(200);
    std::vector<QJsonObject> blocks;
    int telemetry = 0;
    for (const auto& m : recorder.Messages()) {
        if (m.topic == "dl1abc/ao40/block")
            blocks.push_back(QJsonDocument::fromJson(QByteArray::fromStdString(m.payload)).object());
        else if (m.topic == "dl1abc/ao40/telemetry")
            ++telemetry;
    }
    ASSERT_EQ(blocks.size(), 9U);
    EXPECT_EQ(telemetry, 7);
    EXPECT_EQ(blocks[0]["kind"].toString(), "A");
    EXPECT_EQ(blocks[0]["live"].toBool(), true);
    EXPECT_EQ(blocks[6]["kind"].toString(), "E");
    EXPECT_EQ(blocks[7]["verdict"].toString(), "FAIL");
    EXPECT_EQ(blocks[8]["verdict"].toString(), "NA");
    EXPECT_EQ(blocks[8]["hex"].toString().size(), 1024);
}

// The desktop settings: defaults when nothing is stored, every value back as written, and the
// values of a part that is on checked before anything starts.
TEST(ForwardingSettingsTest, StoredValuesAndTheSetupTheyGive) {
    MemoryStore store;
    ForwardingSettings s = ReadForwardingSettings(store);
    EXPECT_EQ(s.noradId, "26609");
    EXPECT_EQ(s.mqttBroker, "127.0.0.1:1883");
    std::string error;
    auto setup = ForwardingSetupFrom(s, error);
    ASSERT_TRUE(setup.has_value()) << error;
    EXPECT_FALSE(setup->kissServePort || setup->mqtt || !setup->sidsUrl.empty() || setup->HasKissInput());

    s.kissServeOn = s.sidsOn = s.mqttOn = s.kissConnectOn = true;
    s.kissConnect = " localhost:8001 ";
    s.callsign = "TE5T";
    s.latitude = "33.9249S";
    s.longitude = "18.4241";
    s.noradId = "43700";
    s.mqttTopic = "ao40";
    WriteForwardingSettings(store, s);
    EXPECT_EQ(store.Read(kForwardingKey, "MQTT Topic"), "ao40");
    const ForwardingSettings back = ReadForwardingSettings(store);
    EXPECT_TRUE(back.kissServeOn && back.sidsOn && back.mqttOn && back.kissConnectOn && !back.kissOutOn);
    EXPECT_EQ(back.latitude, "33.9249S");
    setup = ForwardingSetupFrom(back, error);
    ASSERT_TRUE(setup.has_value()) << error;
    EXPECT_EQ(*setup->kissServePort, 8001);
    EXPECT_EQ(setup->kissConnectHost, "localhost");
    EXPECT_DOUBLE_EQ(setup->sids.latitude, -33.9249);
    EXPECT_EQ(setup->sids.noradId, 43700);
    EXPECT_EQ(setup->mqtt->topicPrefix, "ao40");

    const struct {
        void (*spoil)(ForwardingSettings&);
        const char* reason;
    } refused[] = {
        {[](ForwardingSettings& v) { v.kissServePort = "0"; }, "server port"},
        {[](ForwardingSettings& v) { v.kissConnect = "localhost"; }, "server to read"},
        {[](ForwardingSettings& v) { v.longitude = "181E"; }, "longitude"},
        {[](ForwardingSettings& v) { v.noradId = "AO-40"; }, "NORAD"},
        {[](ForwardingSettings& v) { v.mqttBroker = ":1883"; }, "broker"},
        {[](ForwardingSettings& v) { v.mqttUser = "orv"; v.mqttPasswordFile = "/nonexistent/orv"; }, "password"},
    };
    for (const auto& c : refused) {
        ForwardingSettings bad = back;
        c.spoil(bad);
        error.clear();
        EXPECT_FALSE(ForwardingSetupFrom(bad, error).has_value()) << c.reason;
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    }
}

}  // namespace
}  // namespace orv
