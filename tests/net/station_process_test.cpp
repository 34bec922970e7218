// The headless station as its own process (orv-cli station), between a server and a client in
// this test process: a chain of three stations on loopback.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkDatagram>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUdpSocket>

#include <sys/resource.h>
#include <unistd.h>

#include "fec/adc_synth.h"
#include "orv_cli_process.h"
#include "pty.h"

#include "relay_fixture.h"

namespace orv {
namespace {

using namespace test;

// An A block with a text header carrying date and time, as the spacecraft sends it.
Block514 HeaderBlock(int second, bool goodCrcc = true) {
    Block514 b = NumberedBlock(static_cast<std::uint32_t>(second));
    std::string header = "HI, THIS IS AMSAT-OSCAR 40";
    header.resize(36, ' ');
    header += "2003-12-30  14:05:" + std::to_string(10 + second);  // date at 36..45, time at 48..55
    std::copy(header.begin(), header.end(), b.begin());
    b[0] = 'A';
    b[1] = ' ';
    SealCrcc(b, goodCrcc);
    return b;
}

// A folder for a station's settings file, made before the station starts and removed after it ends.
struct SettingsFolder {
    QTemporaryDir settings;
};

// orv-cli station with settings of its own. fileLimit: the process's descriptor limit
// (RLIMIT_NOFILE), set as soon as it runs; 0 keeps the inherited one.
struct HeadlessStation : SettingsFolder, OrvCliProcess {
    explicit HeadlessStation(const QStringList& args, rlim_t fileLimit = 0)
        : OrvCliProcess(QStringList{"--settings", settings.filePath("orv.ini"), "station"} + args) {
        if (fileLimit != 0 && process.waitForStarted()) {
            const rlimit limit{fileLimit, fileLimit};
            ::prlimit(static_cast<pid_t>(process.processId()), RLIMIT_NOFILE, &limit, nullptr);
        }
    }
    // User and system CPU time the process has used so far, in seconds; -1 when unknown.
    double CpuSeconds() const {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(process.processId()));
        if (!stat.open(QIODevice::ReadOnly)) return -1;
        const QString text = QString::fromLatin1(stat.readAll());
        // Fields after the command name in parentheses; utime and stime are fields 14 and 15.
        const QStringList fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        if (fields.size() < 13) return -1;
        return (fields[11].toDouble() + fields[12].toDouble()) / static_cast<double>(::sysconf(_SC_CLK_TCK));
    }
    std::uint16_t ServedPort() {
        if (!Said("serving on port ")) return 0;
        return static_cast<std::uint16_t>(QRegularExpression("serving on port (\\d+)").match(err).captured(1).toUInt());
    }
};

struct StationProcess : ::testing::Test {
    StationProcess() { EnsureApp(); }
};

TEST_F(StationProcess, PassesBlocksOnByteExactInBothModesAndPrintsOneLinePerBlock) {
    struct Case {
        bool upstreamRealTime;
        bool stationFullBlock;
    };
    for (const Case c : {Case{true, false}, Case{false, true}}) {
        SCOPED_TRACE(c.stationFullBlock ? "Full block" : "Real time");
        ServingStation upstream(c.upstreamRealTime);
        QStringList args{"--connect", QStringLiteral("127.0.0.1:%1").arg(upstream.Port()), "--serve", "0"};
        if (c.stationFullBlock) args << "--full-block";
        HeadlessStation station(args);
        const std::uint16_t port = station.ServedPort();
        ASSERT_NE(port, 0) << station.err.toStdString();
        ASSERT_TRUE(WaitUntil([&] { return upstream.relay.Server().HasClients(); }));
        WireClient downstream;
        ASSERT_TRUE(downstream.Connect(port));
        ASSERT_TRUE(station.Said("Server Active: 1 site(s)"));

        const std::vector<Block514> blocks{HeaderBlock(1), HeaderBlock(2, false), HeaderBlock(3)};
        Bytes expected;
        for (const Block514& b : blocks) {
            upstream.Receive(b, 100);
            const Bytes framed = Framed(b);
            expected.insert(expected.end(), framed.begin(), framed.end());
        }
        ASSERT_TRUE(WaitUntil([&] { return downstream.bytes.size() >= expected.size() && station.Lines().size() >= 3; }));
        EXPECT_EQ(downstream.bytes, expected);
        const QRegularExpression line("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\dZ A (OK|FAIL) 2003-12-30 14:05:1(\\d)$");
        const QStringList lines = station.Lines();
        ASSERT_EQ(lines.size(), 3);
        const char* verdicts[] = {"OK", "FAIL", "OK"};
        for (int i = 0; i < 3; ++i) {
            const auto m = line.match(lines[i]);
            ASSERT_TRUE(m.hasMatch()) << lines[i].toStdString();
            EXPECT_EQ(m.captured(1), verdicts[i]);
            EXPECT_EQ(m.captured(2).toInt(), i + 1);
        }
        EXPECT_EQ(station.Stop(), 0);
        EXPECT_TRUE(station.err.endsWith("orv-cli station: stopped\n")) << station.err.toStdString();
    }
}

#ifdef ORV_SANITIZERS
// UndefinedBehaviorSanitizer's vptr check reads an object's type through a pipe it opens; with no
// descriptor free that fails and it reports a valid object as "invalid vptr". While it lives, the
// stations started here run without that one check (AddressSanitizer and the other checks stay).
class WithoutVptrCheck {
public:
    WithoutVptrCheck() : saved_(qgetenv("UBSAN_OPTIONS")) {
        QFile file(dir_.filePath("ubsan.supp"));
        if (file.open(QIODevice::WriteOnly)) file.write("vptr:*\n");
        QByteArray options = saved_;
        if (!options.isEmpty()) options += ':';
        qputenv("UBSAN_OPTIONS", options + "suppressions=" + QFile::encodeName(file.fileName()));
    }
    ~WithoutVptrCheck() { saved_.isEmpty() ? qunsetenv("UBSAN_OPTIONS") : qputenv("UBSAN_OPTIONS", saved_); }

private:
    QTemporaryDir dir_;
    QByteArray saved_;
};
#else
struct WithoutVptrCheck {};
#endif

TEST_F(StationProcess, OutOfDescriptorsTheServerWaitsWithoutSpinningAndLetsClientsInWhenOnesLeave) {
    ServingStation upstream;
    const WithoutVptrCheck sanitizerNeedsDescriptors;
    HeadlessStation station({"--connect", QStringLiteral("127.0.0.1:%1").arg(upstream.Port()), "--serve", "0"}, 40);
    const std::uint16_t port = station.ServedPort();
    ASSERT_NE(port, 0) << station.err.toStdString();
    ASSERT_TRUE(WaitUntil([&] { return upstream.relay.Server().HasClients(); }));
    // Far more connections than the station has descriptors for: the kernel completes them all,
    // the station can accept only some, the others wait in its listen queue.
    std::vector<std::unique_ptr<WireClient>> clients;
    for (int i = 0; i < 60; ++i) {
        clients.push_back(std::make_unique<WireClient>());
        ASSERT_TRUE(clients.back()->Connect(port));
    }
    // The count the station showed last.
    auto shownSites = [&] {
        int count = 0;
        for (auto it = QRegularExpression("Server Active: (\\d+) site").globalMatch(station.err); it.hasNext();)
            count = it.next().captured(1).toInt();
        return count;
    };
    ASSERT_TRUE(WaitUntil([&] { return shownSites() > 0; }));
    RunFor(1000);  // until it has taken all it can
    const int accepted = shownSites();
    ASSERT_GT(accepted, 0);
    ASSERT_LT(accepted, 60);

    // Waiting for a free descriptor costs next to nothing (it spun at half a core).
    const double before = station.CpuSeconds();
    RunFor(2000);
    const double used = station.CpuSeconds() - before;
    ASSERT_GE(before, 0) << station.err.toStdString();
    EXPECT_LT(used, 0.3) << "CPU seconds used in 2 s while out of descriptors";

    // The others leave but as many of the last as were accepted (at most 20): those were waiting,
    // come in and get the blocks that follow.
    const std::size_t staying = static_cast<std::size_t>(std::min(accepted, 20));
    for (std::size_t i = 0; i + staying < clients.size(); ++i) clients[i]->socket.abort();
    const Block514 block = HeaderBlock(1);
    const Bytes framed = Framed(block);
    const bool allServed = WaitUntil([&] {
        upstream.Receive(block, 514);
        RunFor(50);
        return std::all_of(clients.end() - static_cast<std::ptrdiff_t>(staying), clients.end(),
                           [&](const auto& c) { return c->bytes.size() >= framed.size(); });
    });
    EXPECT_TRUE(allServed) << station.err.toStdString();
    EXPECT_EQ(station.Stop(), 0);
}

TEST_F(StationProcess, TakesBlocksFromTheSerialPortServesThemAndSendsDatagrams) {
    PtyPair demodulator;
    ASSERT_TRUE(demodulator.Ok());
    QUdpSocket datagrams;
    ASSERT_TRUE(datagrams.bind(QHostAddress::LocalHost, 0));
    QTemporaryDir data;
    HeadlessStation station({"--serial", QString::fromStdString(demodulator.SlavePath()), "--baud", "9600", "--serve",
                             "0", "--full-block", "--udp", QStringLiteral("127.0.0.1:%1").arg(datagrams.localPort()),
                             "--data-dir", data.path(), "--log", "A", "--crcc", "use"});
    const std::uint16_t port = station.ServedPort();
    ASSERT_NE(port, 0) << station.err.toStdString();
    ASSERT_TRUE(station.Said("at 9600 baud, modem 514"));
    WireClient downstream;
    ASSERT_TRUE(downstream.Connect(port));
    ASSERT_TRUE(station.Said("Server Active: 1 site(s)"));

    const Block514 b = HeaderBlock(4);
    for (std::size_t at = 0; at < b.size(); at += 100)
        ASSERT_TRUE(demodulator.Write(b.data() + at, std::min<std::size_t>(100, b.size() - at)));
    ASSERT_TRUE(WaitUntil([&] { return downstream.bytes.size() >= 522 && datagrams.hasPendingDatagrams(); }));
    EXPECT_EQ(downstream.bytes, Framed(b));
    const QByteArray d = datagrams.receiveDatagram().data();
    EXPECT_EQ(Bytes(d.begin(), d.end()), Framed(b));
    ASSERT_TRUE(WaitUntil([&] { return station.Lines().size() == 1; }));
    EXPECT_TRUE(station.Lines()[0].endsWith("Z A OK 2003-12-30 14:05:14")) << station.Lines()[0].toStdString();

    // Logged as the Logging window does with Block "A" and CRCC "use".
    const QStringList logs = QDir(data.filePath("telemetry")).entryList({"A??????.tlm"}, QDir::Files);
    ASSERT_EQ(logs.size(), 1) << station.err.toStdString();
    QFile log(data.filePath("telemetry/" + logs[0]));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QByteArray record = log.readAll();
    EXPECT_EQ(Bytes(record.begin(), record.end()), Bytes(b.begin(), b.begin() + 512));

    // The demodulator goes away: the station says so and ends with an error.
    demodulator.CloseMaster();
    ASSERT_TRUE(station.Ended());
    EXPECT_EQ(station.process.exitCode(), 1);
    EXPECT_TRUE(station.err.contains("serial port lost: ")) << station.err.toStdString();
}

// --bind puts the relay server on the given address; --json prints one JSON object per block
// (JSON Lines) with the display windows' values of an A block.
TEST_F(StationProcess, ServesOnTheBoundAddressAndPrintsJsonLines) {
    PtyPair demodulator;
    ASSERT_TRUE(demodulator.Ok());
    HeadlessStation station({"--serial", QString::fromStdString(demodulator.SlavePath()), "--baud", "9600", "--serve",
                             "0", "--bind", "127.0.0.1", "--json"});
    ASSERT_TRUE(station.Said("serving on 127.0.0.1 port ")) << station.err.toStdString();
    const auto port = static_cast<std::uint16_t>(
        QRegularExpression("serving on 127.0.0.1 port (\\d+)").match(station.err).captured(1).toUInt());
    ASSERT_NE(port, 0);
    WireClient downstream;
    ASSERT_TRUE(downstream.Connect(port));
    ASSERT_TRUE(station.Said("Server Active: 1 site(s)"));

    const Block514 b = HeaderBlock(4);
    for (std::size_t at = 0; at < b.size(); at += 100)
        ASSERT_TRUE(demodulator.Write(b.data() + at, std::min<std::size_t>(100, b.size() - at)));
    // The whole line: a JSON object of some 30 kB may arrive in pieces.
    ASSERT_TRUE(WaitUntil([&] { return station.out.endsWith('\n'); })) << station.err.toStdString();
    ASSERT_EQ(station.Lines().size(), 1);
    const QJsonObject first = QJsonDocument::fromJson(station.Lines()[0].toUtf8()).object();
    EXPECT_EQ(first["kind"].toString(), "A");
    EXPECT_EQ(first["crcc"].toString(), "OK");
    EXPECT_EQ(first["header_time"].toString(), "2003-12-30 14:05:14");
    EXPECT_TRUE(first["time"].toString().endsWith('Z'));
    EXPECT_EQ(first["displays"].toObject().keys(), (QStringList{"matrix", "nav", "power", "status", "temp"}));
    const QJsonObject power = first["displays"].toObject()["power"].toObject();
    ASSERT_FALSE(power["fields"].toArray().isEmpty());
    EXPECT_TRUE(power["fields"].toArray()[0].toObject()["value"].isDouble());
    station.Stop();
}

TEST_F(StationProcess, DecodesFecFramesFromAdcSamplesAndKeepsTheFecLog) {
    PtyPair demodulator;
    ASSERT_TRUE(demodulator.Ok());
    QTemporaryDir data;
    HeadlessStation station({"--serial", QString::fromStdString(demodulator.SlavePath()), "--modem", "ADC",
                             "--data-dir", data.path(), "--log-fec"});
    ASSERT_TRUE(station.Said("modem ADC"));
    AdcSynthOptions noiseless;
    noiseless.ebNoDb = std::numeric_limits<double>::infinity();
    AdcSynthesizer synth(noiseless);
    std::array<std::uint8_t, kFecDataBytes> frameData{};
    for (std::size_t i = 0; i < frameData.size(); ++i) frameData[i] = static_cast<std::uint8_t>(i * 31 + 7);
    std::vector<std::uint8_t> samples;
    synth.AppendIdle(500, samples);
    synth.AppendFecFrame(frameData, samples);
    synth.AppendIdle(1, samples);
    ASSERT_TRUE(demodulator.Write(samples.data(), samples.size()));

    ASSERT_TRUE(WaitUntil([&] { return station.Lines().size() == 1; })) << station.err.toStdString();
    EXPECT_TRUE(QRegularExpression("Z A OK \\S+ \\S+$").match(station.Lines()[0]).hasMatch())
        << station.Lines()[0].toStdString();
    const QDir telemetry(data.filePath("telemetry"));
    ASSERT_TRUE(WaitUntil([&] { return !telemetry.entryList({"*_FEC.txt"}, QDir::Files).isEmpty(); }));
    const QStringList logs = telemetry.entryList({"T??????.raw"}, QDir::Files);
    ASSERT_EQ(logs.size(), 1);
    QFile log(telemetry.filePath(logs[0]));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QByteArray record = log.readAll();
    ASSERT_EQ(record.size(), 512);
    EXPECT_EQ(Bytes(record.begin() + 256, record.end()), Bytes(frameData.begin(), frameData.end()));
    EXPECT_EQ(station.Stop(), 0);
}

TEST_F(StationProcess, SaysSoWhenItCutsATornRecordFromTheEndOfAnExistingLog) {
    ServingStation upstream(false);
    QTemporaryDir data;
    HeadlessStation station(
        {"--connect", QStringLiteral("127.0.0.1:%1").arg(upstream.Port()), "--data-dir", data.path()});
    const QRegularExpression logging(R"(logging to ([^\n]+)\n)");
    ASSERT_TRUE(WaitUntil([&] { return logging.match(station.err).hasMatch(); })) << station.err.toStdString();
    const QString logPath = logging.match(station.err).captured(1);
    {
        // A whole record and a torn one, as a crash of some other writer leaves them.
        QFile log(logPath);
        ASSERT_TRUE(log.open(QIODevice::WriteOnly));
        log.write(QByteArray(512 + 100, 'x'));
    }
    ASSERT_TRUE(WaitUntil([&] { return upstream.relay.Server().HasClients(); }));
    upstream.Receive(HeaderBlock(1), 100);
    ASSERT_TRUE(station.Said("a partial record of 100 bytes was cut")) << station.err.toStdString();
    EXPECT_EQ(QFileInfo(logPath).size(), 2 * 512);
    EXPECT_EQ(station.Stop(), 0);
}

TEST_F(StationProcess, WithoutReconnectALostLinkEndsTheStationWithAnError) {
    auto upstream = std::make_unique<ServingStation>();
    HeadlessStation station({"--connect", QStringLiteral("127.0.0.1:%1").arg(upstream->Port())});
    ASSERT_TRUE(station.Said("Connect to: 127.0.0.1"));
    upstream.reset();
    ASSERT_TRUE(station.Ended());
    EXPECT_EQ(station.process.exitCode(), 1);
    EXPECT_TRUE(station.err.contains("no link to 127.0.0.1:")) << station.err.toStdString();
}

TEST_F(StationProcess, RefusesOptionsItCannotUse) {
    const QStringList cases[] = {
        {},
        {"--connect", "127.0.0.1"},
        {"--connect", "127.0.0.1:0"},
        {"--connect", "127.0.0.1:1024", "--serial", "/dev/null"},
        {"--connect", "127.0.0.1:1024", "--baud", "9600"},
        {"--connect", "127.0.0.1:1024", "--reconnect", "soon"},
        {"--serial", "/dev/null", "--reconnect", "5"},
        {"--serial", "/dev/null", "--modem", "600"},
        {"--connect", "127.0.0.1:1024", "--full-block"},
        {"--connect", "127.0.0.1:1024", "--log", "A"},
        {"--connect", "127.0.0.1:1024", "--data-dir", "d", "--log-fec"},
        {"--serial", "/dev/null", "--modem", "512", "--data-dir", "d", "--crcc", "use"},
        {"--connect", "127.0.0.1:1024", "--data-dir", "d", "--crcc", "sometimes"},
        {"--connect", "127.0.0.1:1024", "--serve", "70000"},
        {"--connect", "127.0.0.1:1024", "--udp", "nowhere"},
        {"--connect", "127.0.0.1:1024", "--fast"},
        {"--connect", "127.0.0.1:1024", "extra"},
    };
    for (const QStringList& args : cases) {
        HeadlessStation station(args);
        ASSERT_TRUE(station.Ended());
        EXPECT_EQ(station.process.exitCode(), 2) << args.join(' ').toStdString();
        EXPECT_TRUE(station.err.startsWith("orv-cli station: ")) << station.err.toStdString();
        EXPECT_TRUE(station.out.isEmpty());
    }
}

}  // namespace
}  // namespace orv
