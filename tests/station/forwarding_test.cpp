// The station's forwarding end to end: KISS out of one station read by others gives the same log,
// gr-satellites' KISS output taken in, SiDS through the station (live blocks only, FEC frames as
// sent, times from the input, never replays or the demo, the queue across a restart), MQTT from
// the station (retained telemetry and status, Home Assistant's discovery), and the loss reports
// of the outputs that fail and recover. Loopback sockets, a local HTTP server and a mosquitto
// broker started by the tests.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrlQuery>
#include <csignal>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sys/resource.h>

#include "fec/fec_block.h"
#include "forward/kiss.h"
#include "forward/kiss_server.h"
#include "forward/sids_submitter.h"
#include "forward_blocks.h"
#include "free_port.h"
#include "gr_satellites_kiss.h"
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
using Bytes = std::vector<std::uint8_t>;

constexpr std::int64_t kStart = 1796869479;  // 2026-12-10T02:24:39Z

// Six A blocks, an E block, one whose CRCC fails and one of 512 bytes (from a decoder that
// strips the CRCC): the kinds and verdicts a log and a relay must keep apart.
std::vector<Bytes> MixedBlocks() {
    std::vector<Bytes> blocks;
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

// The time gr-satellites gives frame i of a file: ten seconds apart, with milliseconds.
std::int64_t FrameTime(std::size_t i) { return (kStart + 10 * static_cast<std::int64_t>(i)) * 1000 + 123; }

std::vector<test::GrFrame> Timed(const std::vector<Bytes>& frames) {
    std::vector<test::GrFrame> timed;
    for (std::size_t i = 0; i < frames.size(); ++i) timed.push_back({frames[i], FrameTime(i)});
    return timed;
}

std::string WriteFile(const QTemporaryDir& dir, const std::string& name, const Bytes& bytes) {
    const std::string path = dir.filePath(QString::fromStdString(name)).toStdString();
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
    return path;
}

// A KISS file of the frames: with timestamps as gr-satellites writes them, or data frames only.
std::string WriteKissFile(const QTemporaryDir& dir, const std::string& name, const std::vector<Bytes>& frames,
                          bool timestamps) {
    if (timestamps) return WriteFile(dir, name, test::GrSatellitesKiss(Timed(frames)));
    Bytes bytes;
    for (const auto& f : frames) AppendKissFrame(bytes, f);
    return WriteFile(dir, name, bytes);
}

// Every file of DIR/telemetry by name, with its bytes.
std::map<std::string, std::string> LogFiles(const std::string& dataDir) {
    std::map<std::string, std::string> files;
    const QDir dir(QString::fromStdString(dataDir + "/telemetry"));
    for (const QString& name : dir.entryList({"*.raw", "*.tlm"}, QDir::Files)) {
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
    std::vector<std::pair<StatusLevel, std::string>> reports;
    std::unique_ptr<HeadlessStation> station;
    bool ended = false;

    TestStation(const QTemporaryDir& dir, const std::string& name, HeadlessSetup setup, const Clock& clock) {
        test::FillStore(store, dir.filePath(QString::fromStdString(name + "_settings")));
        setup.dataDir = dir.filePath(QString::fromStdString(name)).toStdString();
        station = std::make_unique<HeadlessStation>(
            setup, store, clock,
            HeadlessStation::Report([this](StatusLevel level, const std::string& line) { reports.emplace_back(level, line); }));
        QObject::connect(station.get(), &HeadlessStation::Ended, [this] { ended = true; });
    }
    std::string Reports() const {
        std::string all;
        for (const auto& [level, line] : reports) all += line + "\n";
        return all;
    }
    // The lines that contain `text`.
    std::vector<std::pair<StatusLevel, std::string>> Said(const std::string& text) const {
        std::vector<std::pair<StatusLevel, std::string>> out;
        for (const auto& r : reports)
            if (r.second.find(text) != std::string::npos) out.push_back(r);
        return out;
    }
    Forwarding& forwarding() { return station->station().forwarding(); }
};

// Station A reads KISS frames from a file, serves KISS on loopback and appends KISS to a file;
// B reads A's server, C reads A's file. All three logs are the same, byte for byte.
TEST(StationForwardingTest, OwnKissOutputFedToOtherStationsGivesTheSameLog) {
    EnsureApp();
    QTemporaryDir dir;
    ManualClock clock{kStart};
    const auto blocks = MixedBlocks();

    HeadlessSetup a;
    a.forwarding.kissIn = WriteKissFile(dir, "in.kiss", blocks, false);
    a.forwarding.kissOutFile = dir.filePath("out.kiss").toStdString();
    TestStation stationA(dir, "a", a, clock);
    QString error;
    ASSERT_TRUE(stationA.forwarding().StartKissServer(0, "127.0.0.1", {}, error)) << error.toStdString();

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

// gr-satellites' file: every frame has its timestamp frame, which is no skipped frame. The first
// frame of a size that is no block is told at once (a warning), all of them once more at the end.
TEST(StationForwardingTest, SkippedFramesAreToldOnceAndSummedUpAtTheEnd) {
    EnsureApp();
    QTemporaryDir dir;
    ManualClock clock{kStart};
    auto frames = MixedBlocks();
    frames.insert(frames.begin() + 2, Bytes(100, 0x41));
    frames.insert(frames.begin() + 5, Bytes(513, 0x41));
    HeadlessSetup setup;
    setup.forwarding.kissIn = WriteKissFile(dir, "in.kiss", frames, true);
    TestStation s(dir, "s", setup, clock);
    ASSERT_EQ(s.station->Start(), 0) << s.Reports();
    ASSERT_TRUE(WaitUntil([&] { return s.ended; }));
    EXPECT_EQ(LoggedBytes(dir.filePath("s").toStdString()), 9 * kTelemetryBytes);
    const auto skipped = s.Said("KISS input: skipped");
    ASSERT_EQ(skipped.size(), 2U) << s.Reports();
    EXPECT_EQ(skipped[0].first, StatusLevel::Warning);
    EXPECT_NE(skipped[0].second.find("further skipped frames are counted"), std::string::npos) << s.Reports();
    EXPECT_EQ(skipped[1].second,
              "KISS input: skipped 2 frames of a size other than 256, 512 or 514 bytes (the last 513 bytes)");
}

struct StationSidsTest : ::testing::Test {
    QTemporaryDir dir;
    ManualClock clock{kStart + 86400};  // the station reads a day after the frames were received
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

QUrlQuery Form(const test::HttpTestServer::Request& r) { return QUrlQuery(QString::fromStdString(r.body)); }

// Live blocks with a good CRCC are posted with the station's fields and the times their input
// gave; the failed and the 512-byte block are not, nor the same frame a second time. The queue
// keeps what a server that is down did not take across a restart of the station, and the next
// station sends it once the server is back.
TEST_F(StationSidsTest, LiveBlocksArePostedAndTheQueueOutlivesARestart) {
    const quint16 port = test::FreeTcpPort();  // nobody listens yet
    auto frames = Timed(MixedBlocks());
    // The same frame again, from a second decoder on the same radio.
    frames.insert(frames.begin() + 1, {frames.front().bytes, FrameTime(0) + 700});
    const std::string kiss = WriteFile(dir, "in.kiss", test::GrSatellitesKiss(frames));
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
    again.forwarding.kissIn = WriteKissFile(dir, "empty.kiss", {}, false);
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
    EXPECT_EQ(first.userAgent, "Orv/" ORV_VERSION);
    const QUrlQuery form = Form(first);
    EXPECT_EQ(form.queryItemValue("noradID", QUrl::FullyDecoded), "26609");
    EXPECT_EQ(form.queryItemValue("source", QUrl::FullyDecoded), "TE5T");
    EXPECT_EQ(form.queryItemValue("timestamp", QUrl::FullyDecoded), "2026-12-10T02:24:39.123Z");
    EXPECT_EQ(form.queryItemValue("longitude", QUrl::FullyDecoded), "4.3647W");
    EXPECT_EQ(form.queryItemValue("version", QUrl::FullyDecoded), "Orv/" ORV_VERSION);
    const Block514 one = test::ForwardBlock(1);
    EXPECT_EQ(form.queryItemValue("frame", QUrl::FullyDecoded).toStdString(), HexText(one));
    EXPECT_EQ(Form(server.requests[6]).queryItemValue("timestamp", QUrl::FullyDecoded), "2026-12-10T02:25:39.123Z");
}

// gr-satellites' file: an uncoded block goes to the server as its 514 bytes, an FEC frame as its
// 256 data bytes, as gr-satellites itself submits them, each with its time. The same frames from
// a file without timestamps are a recording of unknown age: nothing is submitted.
TEST_F(StationSidsTest, FecFramesAreSharedAsSentAndFilesWithoutTimesNotAtAll) {
    ASSERT_TRUE(server.Listen());
    const Block514 uncoded = test::ForwardBlock(1);
    const auto fec = test::FecFrameData(2);
    const std::vector<Bytes> frames{Bytes(uncoded.begin(), uncoded.end()), Bytes(fec.begin(), fec.end())};

    TestStation untimed(dir, "untimed", Setup(WriteKissFile(dir, "untimed.kiss", frames, false), server.Port()), clock);
    ASSERT_EQ(untimed.station->Start(), 0) << untimed.Reports();
    ASSERT_TRUE(WaitUntil([&] { return untimed.ended; }));
    EXPECT_EQ(LoggedBytes(dir.filePath("untimed").toStdString()), 2 * kTelemetryBytes);  // received all the same
    EXPECT_EQ(untimed.forwarding().sids()->Queued(), 0U);
    untimed.station.reset();

    TestStation timed(dir, "timed", Setup(WriteKissFile(dir, "timed.kiss", frames, true), server.Port()), clock);
    ASSERT_EQ(timed.station->Start(), 0) << timed.Reports();
    ASSERT_TRUE(WaitUntil([&] { return server.requests.size() == 2; })) << timed.Reports();
    test::RunFor(200);
    ASSERT_EQ(server.requests.size(), 2U);
    EXPECT_EQ(Form(server.requests[0]).queryItemValue("frame").toStdString(), HexText(uncoded));
    EXPECT_EQ(Form(server.requests[1]).queryItemValue("frame").toStdString(), HexText(fec));
    EXPECT_EQ(Form(server.requests[1]).queryItemValue("timestamp", QUrl::FullyDecoded), "2026-12-10T02:24:49.123Z");
    // Logged as the block this station's FEC decoder builds.
    const auto logs = LogFiles(dir.filePath("timed").toStdString());
    ASSERT_EQ(logs.size(), 1U);
    const Block514 rebuilt = ReconstructFecBlock(fec);
    EXPECT_EQ(logs.begin()->second.substr(kTelemetryBytes), std::string(rebuilt.begin(), rebuilt.begin() + 512));
}

// Blocks shown from a replayed log and blocks of the demo (or the simulator) are never submitted,
// even when their input carried times.
TEST_F(StationSidsTest, NothingIsSubmittedFromReplaysOrTheDemo) {
    ASSERT_TRUE(server.Listen());
    const std::string kiss = WriteKissFile(dir, "in.kiss", MixedBlocks(), true);

    HeadlessSetup demo = Setup(kiss, server.Port());
    demo.simulated = true;
    TestStation simulated(dir, "demo", demo, clock);
    ASSERT_EQ(simulated.station->Start(), 0) << simulated.Reports();
    ASSERT_TRUE(WaitUntil([&] { return simulated.ended; }));
    EXPECT_EQ(LoggedBytes(dir.filePath("demo").toStdString()), 9 * kTelemetryBytes);  // received all the same
    EXPECT_EQ(simulated.forwarding().sids()->Queued(), 0U);
    EXPECT_EQ(simulated.Said("none will be submitted").size(), 1U);
    simulated.station.reset();

    // The demo's log replayed in a station that submits.
    const auto logs = LogFiles(dir.filePath("demo").toStdString());
    ASSERT_EQ(logs.size(), 1U);
    HeadlessSetup live = Setup(WriteKissFile(dir, "empty.kiss", {}, false), server.Port());
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

#define REQUIRE_MOSQUITTO() \
    if (test::MosquittoProgram().isEmpty()) GTEST_SKIP() << "the mosquitto broker is not installed"

QJsonObject Json(const std::string& text) { return QJsonDocument::fromJson(QByteArray::fromStdString(text)).object(); }

struct StationMqttTest : ::testing::Test {
    QTemporaryDir dir;
    ManualClock clock{kStart};
    test::MosquittoBroker broker;

    void SetUp() override {
        REQUIRE_MOSQUITTO();
        EnsureApp();
        ASSERT_TRUE(broker.Start()) << broker.Output().toStdString();
    }
    HeadlessSetup Setup(const std::string& kiss, bool discovery = false) {
        HeadlessSetup setup;
        setup.forwarding.kissIn = kiss;
        MqttOptions mqtt;
        mqtt.port = broker.Port();
        mqtt.topicPrefix = "dl1abc/ao40";
        mqtt.discovery = discovery;
        setup.forwarding.mqtt = mqtt;
        return setup;
    }
};

// The station publishes every block it completes and the telemetry of its good A blocks, each
// saying whether it is live; a dashboard that subscribes later gets the last telemetry and the
// station's "online" at once (retained).
TEST_F(StationMqttTest, StationPublishesItsBlocks) {
    test::MqttRecorder recorder(broker.Port(), "dl1abc");
    ASSERT_TRUE(WaitUntil([&] { return recorder.Subscribed(); }));
    TestStation s(dir, "s", Setup(WriteKissFile(dir, "in.kiss", MixedBlocks(), true)), clock);
    ASSERT_EQ(s.station->Start(), 0) << s.Reports();
    // 9 blocks, and the telemetry of the A blocks that did not fail (the 512-byte one has no CRCC).
    ASSERT_TRUE(WaitUntil([&] { return recorder.On("dl1abc/ao40/block").size() == 9 && recorder.On("dl1abc/ao40/telemetry").size() == 7; }))
        << s.Reports();
    std::vector<QJsonObject> blocks;
    for (const auto& m : recorder.On("dl1abc/ao40/block")) blocks.push_back(Json(m.payload));
    EXPECT_EQ(blocks[0]["kind"].toString(), "A");
    EXPECT_EQ(blocks[0]["live"].toBool(), true);
    EXPECT_EQ(blocks[6]["kind"].toString(), "E");
    EXPECT_EQ(blocks[7]["verdict"].toString(), "FAIL");
    EXPECT_EQ(blocks[8]["verdict"].toString(), "NA");
    EXPECT_EQ(blocks[8]["hex"].toString().size(), 1024);
    const auto telemetry = recorder.On("dl1abc/ao40/telemetry");
    EXPECT_EQ(Json(telemetry.back().payload)["live"].toBool(), true);
    const auto status = recorder.On("dl1abc/ao40/status");
    ASSERT_FALSE(status.empty());
    EXPECT_EQ(status.front().payload, "online");

    // A dashboard that starts now.
    test::MqttRecorder later(broker.Port(), "dl1abc", true, "orv-test-later");
    ASSERT_TRUE(WaitUntil([&] { return later.On("dl1abc/ao40/telemetry").size() == 1 && later.On("dl1abc/ao40/status").size() == 1; }));
    EXPECT_TRUE(later.On("dl1abc/ao40/telemetry")[0].retained);
    EXPECT_EQ(later.On("dl1abc/ao40/telemetry")[0].payload, telemetry.back().payload);
    EXPECT_TRUE(later.On("dl1abc/ao40/status")[0].retained);
    EXPECT_TRUE(later.On("dl1abc/ao40/block").empty());

    // The station stops: "offline", retained.
    s.station.reset();
    ASSERT_TRUE(WaitUntil([&] { return later.On("dl1abc/ao40/status").size() == 2; }));
    EXPECT_EQ(later.On("dl1abc/ao40/status")[1].payload, "offline");

    // Blocks from a file without times are not live, in both messages.
    test::MqttRecorder untimed(broker.Port(), "dl1abc", true, "orv-test-untimed");
    ASSERT_TRUE(WaitUntil([&] { return untimed.Subscribed(); }));
    TestStation replay(dir, "r", Setup(WriteKissFile(dir, "untimed.kiss", MixedBlocks(), false)), clock);
    ASSERT_EQ(replay.station->Start(), 0) << replay.Reports();
    ASSERT_TRUE(WaitUntil([&] { return untimed.On("dl1abc/ao40/block").size() == 9 && untimed.On("dl1abc/ao40/telemetry").size() >= 7; }));
    EXPECT_EQ(Json(untimed.On("dl1abc/ao40/block")[0].payload)["live"].toBool(true), false);
    EXPECT_EQ(Json(untimed.On("dl1abc/ao40/telemetry").back().payload)["live"].toBool(true), false);
}

// Renders Home Assistant value templates with Jinja2 (the template engine Home Assistant uses, in
// its sandbox) for one MQTT message; nothing when python3 with jinja2 is not there.
std::optional<QJsonArray> RenderValueTemplates(const QJsonArray& templates, const std::string& message) {
    QProcess python;
    python.start("python3", {"-c",
                             "import jinja2.sandbox, json, sys\n"
                             "templates, message = json.load(sys.stdin)\n"
                             "env = jinja2.sandbox.ImmutableSandboxedEnvironment()\n"
                             "value_json = json.loads(message)\n"
                             "json.dump([env.from_string(t).render(value_json=value_json) for t in templates], sys.stdout)\n"});
    if (!python.waitForStarted(10000)) return std::nullopt;
    python.write(QJsonDocument(QJsonArray{templates, QString::fromStdString(message)}).toJson());
    python.closeWriteChannel();
    if (!python.waitForFinished(60000) || python.exitCode() != 0) return std::nullopt;
    return QJsonDocument::fromJson(python.readAllStandardOutput()).array();
}

// Home Assistant's discovery: retained config messages with what its MQTT sensor schema needs
// (a Home Assistant started later finds them), whose value templates give the values of the
// telemetry the station publishes.
TEST_F(StationMqttTest, HomeAssistantFindsTheSensors) {
    test::MqttRecorder station(broker.Port(), "dl1abc", true, "orv-test-station");
    ASSERT_TRUE(WaitUntil([&] { return station.Subscribed(); }));
    TestStation s(dir, "s", Setup(WriteKissFile(dir, "in.kiss", MixedBlocks(), true), true), clock);
    ASSERT_EQ(s.station->Start(), 0) << s.Reports();
    ASSERT_TRUE(WaitUntil([&] { return station.On("dl1abc/ao40/telemetry").size() == 7; }));
    test::MqttRecorder homeAssistant(broker.Port(), "homeassistant", true, "orv-test-ha");
    ASSERT_TRUE(WaitUntil([&] { return homeAssistant.Count() >= 13; }));
    test::RunFor(200);
    const std::string telemetry = station.On("dl1abc/ao40/telemetry").back().payload;
    const QJsonObject displays = Json(telemetry)["displays"].toObject();
    const auto configs = homeAssistant.Messages();
    ASSERT_EQ(configs.size(), 13U);
    std::set<QString> uniqueIds;
    QJsonArray templates;
    std::vector<QJsonValue> expected;  // each sensor's value in the telemetry message
    for (const auto& m : configs) {
        SCOPED_TRACE(m.topic);
        EXPECT_TRUE(m.retained);
        const QJsonObject c = Json(m.payload);
        EXPECT_TRUE(QString::fromStdString(m.topic).startsWith("homeassistant/sensor/orv_dl1abc_ao40/"));
        EXPECT_TRUE(QString::fromStdString(m.topic).endsWith("/config"));
        for (const char* key : {"name", "unique_id", "state_topic", "value_template", "unit_of_measurement",
                                "device_class", "state_class", "availability_topic"})
            EXPECT_TRUE(c[key].isString() && !c[key].toString().isEmpty()) << key;
        EXPECT_TRUE(uniqueIds.insert(c["unique_id"].toString()).second);
        EXPECT_EQ(c["state_topic"].toString(), "dl1abc/ao40/telemetry");
        EXPECT_EQ(c["availability_topic"].toString(), "dl1abc/ao40/status");
        const QJsonObject device = c["device"].toObject();
        EXPECT_EQ(device["identifiers"].toArray(), QJsonArray{"orv_dl1abc_ao40"});
        EXPECT_FALSE(device["name"].toString().isEmpty());
        EXPECT_TRUE(QStringList({"voltage", "current", "temperature"}).contains(c["device_class"].toString()));
        templates.append(c["value_template"]);
        QJsonValue value;
        for (const char* window : {"power", "temp"})
            for (const auto& f : displays[window].toObject()["fields"].toArray())
                if (c["unique_id"].toString() == "orv_dl1abc_ao40_" + QString(window) + "_" + f.toObject()["id"].toString())
                    value = f.toObject()["value"];
        EXPECT_TRUE(value.isDouble()) << "no value for the sensor in the telemetry";
        expected.push_back(value);
    }
    const auto values = RenderValueTemplates(templates, telemetry);
    if (!values) GTEST_SKIP() << "python3 with jinja2 is not installed: the value templates were not rendered";
    ASSERT_EQ(values->size(), static_cast<qsizetype>(expected.size()));
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_DOUBLE_EQ((*values)[static_cast<qsizetype>(i)].toString().toDouble(), expected[i].toDouble()) << i;
    // A value the message does not give renders as None: Home Assistant shows it as unknown.
    const auto none = RenderValueTemplates({templates[0]}, R"({"displays": {"power": {"fields": []}}})");
    ASSERT_TRUE(none.has_value());
    EXPECT_EQ((*none)[0].toString(), "None");
}

// Writes to files fail while the process may not make a file longer than `bytes` (as on a full
// disk: each append fails and is undone), and work again when the object goes.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &previous_);
        rlimit limit = previous_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, previousHandler_);
    }

private:
    rlimit previous_{};
    void (*previousHandler_)(int);
};

// The KISS file, the SiDS queue and the MQTT queue fail, recover and fail again: each episode is
// told when it starts, its count at most once a minute, and its end with the total; the desktop
// program's Forwarding window shows the same (LossTexts), red while Losing.
TEST(ForwardingLossTest, EachOutputTellsEachEpisodeWithItsCounts) {
    EnsureApp();
    QTemporaryDir dir;
    ManualClock clock{kStart};
    Forwarding f(clock);
    std::vector<std::pair<StatusLevel, QString>> lines;
    QObject::connect(&f, &Forwarding::StatusChanged, [&](const QString& text, StatusLevel level) {
        if (text.startsWith("KISS file:") || text.startsWith("SiDS queue:") || text.startsWith("MQTT queue:"))
            lines.emplace_back(level, text);
    });
    QString error;
    ASSERT_TRUE(f.OpenKissFile(dir.filePath("out.kiss").toStdString(), {}, error)) << error.toStdString();
    ASSERT_TRUE(f.StartSids(QStringLiteral("http://127.0.0.1:%1/").arg(test::FreeTcpPort()), {"TE5T", 52, 4, kAo40NoradId},
                            dir.filePath("sids.queue").toStdString(), error))
        << error.toStdString();
    MqttOptions mqtt;
    mqtt.port = test::FreeTcpPort();  // no broker: the queue fills
    mqtt.maxQueued = 2;
    ASSERT_TRUE(f.StartMqtt(mqtt, error)) << error.toStdString();
    std::uint32_t number = 0;
    const auto block = [&] {
        const Block514 b = test::ForwardBlock(++number);
        f.TakeBlock(test::Received(b, clock.Now()));
    };
    const auto said = [&] {
        QStringList out;
        for (const auto& [level, text] : lines) out << text;
        lines.clear();
        return out;
    };

    block();  // written, queued; its two MQTT messages fill the MQTT queue
    EXPECT_TRUE(said().isEmpty());
    const auto size = [](const QString& path) { return static_cast<rlim_t>(QFileInfo(path).size()); };
    const rlim_t full = std::min(size(dir.filePath("out.kiss")), size(dir.filePath("sids.queue")));
    {
        FileSizeLimit diskFull(full);
        block();
        const QStringList first = said();
        ASSERT_EQ(first.size(), 3) << first.join('\n').toStdString();
        EXPECT_TRUE(first[0].startsWith("KISS file: cannot write to ")) << first[0].toStdString();
        EXPECT_TRUE(first[0].endsWith("File too large; 1 frame lost")) << first[0].toStdString();
        EXPECT_TRUE(first[1].startsWith("SiDS queue: cannot write to ")) << first[1].toStdString();
        EXPECT_EQ(first[2], "MQTT queue: the queue is full (2 messages wait for the broker); 2 messages lost");
        clock.Advance(30);
        block();
        EXPECT_TRUE(said().isEmpty());  // within the minute: counted, not said
        EXPECT_TRUE(f.Losing());
        EXPECT_TRUE(f.LossTexts().join('\n').contains("KISS file: 2 frames lost: cannot write to "));
        clock.Advance(30);
        block();
        const QStringList counts = said();
        ASSERT_EQ(counts.size(), 3) << counts.join('\n').toStdString();
        EXPECT_TRUE(counts[0].startsWith("KISS file: 3 frames lost so far: cannot write")) << counts[0].toStdString();
        EXPECT_TRUE(counts[1].startsWith("SiDS queue: 3 frames lost so far: cannot write")) << counts[1].toStdString();
        EXPECT_TRUE(counts[2].startsWith("MQTT queue: 6 messages lost so far")) << counts[2].toStdString();
        for (const auto& [level, text] : lines) EXPECT_EQ(level, StatusLevel::Error);
    }
    block();  // the disk has room again
    const QStringList again = said();
    ASSERT_EQ(again.size(), 2) << again.join('\n').toStdString();  // the MQTT queue is still full
    EXPECT_EQ(again[0], "KISS file: writing again; 3 frames lost");
    EXPECT_EQ(again[1], "SiDS queue: writing again; 3 frames lost");
    EXPECT_EQ(f.LossTexts().mid(0, 2), QStringList({"KISS file: writing again; 3 frames lost", "SiDS queue: writing again; 3 frames lost"}));
    {
        FileSizeLimit diskFullAgain(full);
        block();
        const QStringList second = said();
        ASSERT_GE(second.size(), 2);
        EXPECT_TRUE(second[0].endsWith("; 1 frame lost")) << second[0].toStdString();
        EXPECT_TRUE(second[1].endsWith("; 1 frame lost")) << second[1].toStdString();
    }
    EXPECT_EQ(f.kissFile()->Failed(), 4U);
    EXPECT_EQ(f.sids()->Failed(), 4U);
}

// The telemetry log: a loss said when it starts (an error) and when writing works again; the
// Logging window's status follows.
TEST(StationLogLossTest, TheLogTellsEachEpisode) {
    EnsureApp();
    QTemporaryDir dir;
    ManualClock clock{kStart};
    HeadlessSetup setup;
    setup.forwarding.kissConnectHost = "127.0.0.1";  // an input that never ends
    setup.forwarding.kissConnectPort = test::FreeTcpPort();
    TestStation s(dir, "s", setup, clock);
    ASSERT_EQ(s.station->Start(), 0) << s.Reports();
    Station& station = s.station->station();
    const std::string path = station.logger().LogPath().string();
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(path)));  // a folder where the file should be
    station.pipeline().WholeBlock(test::ForwardBlock(1), BlockOrigin::Kiss);
    station.pipeline().WholeBlock(test::ForwardBlock(2), BlockOrigin::Kiss);
    auto lost = s.Said("telemetry log:");
    ASSERT_EQ(lost.size(), 1U) << s.Reports();
    EXPECT_EQ(lost[0].first, StatusLevel::Error);
    EXPECT_TRUE(lost[0].second.ends_with("; 1 block lost")) << lost[0].second;
    EXPECT_EQ(station.logger().FailureText().substr(0, 23), "2 blocks not logged: ca");
    EXPECT_TRUE(station.logger().FailureIsTrouble());

    ASSERT_TRUE(QDir(QString::fromStdString(path)).removeRecursively());
    station.pipeline().WholeBlock(test::ForwardBlock(3), BlockOrigin::Kiss);
    lost = s.Said("telemetry log:");
    ASSERT_EQ(lost.size(), 2U) << s.Reports();
    EXPECT_EQ(lost[1], std::make_pair(StatusLevel::Status, std::string("telemetry log: writing again; 2 blocks lost")));
    EXPECT_EQ(station.logger().FailureText(), "Writing again; 2 blocks were not logged");
    EXPECT_FALSE(station.logger().FailureIsTrouble());
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
    EXPECT_FALSE(setup->kissOut.goodOnly || setup->kissOut.timestamps);

    s.kissServeOn = s.sidsOn = s.mqttOn = s.kissConnectOn = true;
    s.kissConnect = " localhost:8001 ";
    s.kissGoodOnly = s.kissTimestamps = s.mqttDiscovery = true;
    s.callsign = "TE5T";
    s.latitude = "33.9249S";
    s.longitude = "18.4241";
    s.noradId = "43700";
    s.mqttTopic = "ao40";
    s.mqttCaFile = "/etc/ssl/certs/ca-certificates.crt";
    WriteForwardingSettings(store, s);
    EXPECT_EQ(store.Read(kForwardingKey, "MQTT Topic"), "ao40");
    EXPECT_EQ(store.Read(kForwardingKey, "KISS Timestamps"), "yes");
    const ForwardingSettings back = ReadForwardingSettings(store);
    EXPECT_TRUE(back.kissServeOn && back.sidsOn && back.mqttOn && back.kissConnectOn && !back.kissOutOn);
    EXPECT_TRUE(back.kissGoodOnly && back.kissTimestamps && back.mqttDiscovery);
    EXPECT_EQ(back.latitude, "33.9249S");
    setup = ForwardingSetupFrom(back, error);
    ASSERT_TRUE(setup.has_value()) << error;
    EXPECT_EQ(*setup->kissServePort, 8001);
    EXPECT_EQ(setup->kissConnectHost, "localhost");
    EXPECT_TRUE(setup->kissOut.goodOnly && setup->kissOut.timestamps);
    EXPECT_DOUBLE_EQ(setup->sids.latitude, -33.9249);
    EXPECT_EQ(setup->sids.noradId, 43700);
    EXPECT_EQ(setup->mqtt->topicPrefix, "ao40");
    EXPECT_EQ(setup->mqtt->caFile, "/etc/ssl/certs/ca-certificates.crt");
    EXPECT_TRUE(setup->mqtt->discovery);

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
