// The headless station as its own process (orv-cli station), between a server and a client in
// this test process: a chain of three stations on loopback; its servers on the bound address,
// SIGHUP after logrotate, a hangup while it starts, its MQTT status when it dies, and the
// journal's priorities under systemd.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkDatagram>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QElapsedTimer>
#include <QThread>
#include <QUdpSocket>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

#include "fec/adc_synth.h"
#include "forward/kiss.h"
#include "forward_blocks.h"
#include "gr_satellites_kiss.h"
#include "mosquitto_broker.h"
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
    explicit HeadlessStation(const QStringList& args, rlim_t fileLimit = 0, const std::function<void()>& childSetup = {},
                             const QStringList& launcher = {})
        : OrvCliProcess(QStringList{"--settings", settings.filePath("orv.ini"), "station"} + args, childSetup, launcher) {
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
    // The port of the line "...serving on [ADDRESS ]port N" that `before` begins; 0 when not said.
    std::uint16_t PortAfter(const QString& before) {
        if (!Said(before)) return 0;
        return static_cast<std::uint16_t>(
            QRegularExpression(QRegularExpression::escape(before) + "(\\d+)").match(err).captured(1).toUInt());
    }
    void Send(const std::vector<std::uint8_t>& bytes) {
        process.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    }
    void Signal(int signal) const { ::kill(static_cast<pid_t>(process.processId()), signal); }
    // The process has a handler of its own for `signal` (SigCgt in /proc/PID/status).
    bool Catches(int signal) const {
        QFile status(QStringLiteral("/proc/%1/status").arg(process.processId()));
        if (!status.open(QIODevice::ReadOnly)) return false;
        const auto caught = QRegularExpression("SigCgt:\\s*([0-9a-f]+)").match(QString::fromLatin1(status.readAll()));
        return caught.hasMatch() && ((caught.captured(1).toULongLong(nullptr, 16) >> (signal - 1)) & 1) != 0;
    }
};

// gr-satellites' KISS frames of blocks numbered from..to-1, each with its time.
Bytes GrKiss(std::uint32_t from, std::uint32_t to) {
    std::vector<GrFrame> frames;
    for (std::uint32_t n = from; n < to; ++n) {
        const Block514 b = ForwardBlock(n);
        frames.push_back({Bytes(b.begin(), b.end()), (1796869479 + n) * 1000LL});
    }
    return GrSatellitesKiss(frames);
}

// The block numbers in a KISS file.
std::vector<std::uint32_t> KissFileBlocks(const QString& path) {
    QFile file(path);
    std::vector<std::uint32_t> numbers;
    if (!file.open(QIODevice::ReadOnly)) return numbers;
    const QByteArray bytes = file.readAll();
    KissBlockDeframer deframer([&](const KissData& d) { numbers.push_back(ForwardBlockNumber(d.bytes)); });
    deframer.Feed({reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size())});
    return numbers;
}

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

// --bind puts every server the station opens on the address: the relay and KISS out, as the
// kernel's table of listening sockets shows them.
TEST_F(StationProcess, EveryServerListensOnTheBoundAddress) {
    HeadlessStation station({"--kiss-in", "-", "--serve", "0", "--kiss-serve", "0", "--bind", "127.0.0.1"});
    const std::uint16_t relay = station.PortAfter("serving on 127.0.0.1 port ");
    const std::uint16_t kiss = station.PortAfter("KISS: serving on 127.0.0.1 port ");
    ASSERT_NE(relay, 0) << station.err.toStdString();
    ASSERT_NE(kiss, 0) << station.err.toStdString();
    // /proc/net/tcp: "sl local_address rem_address st ...", addresses as hex IP:port, LISTEN is 0A.
    QFile table("/proc/net/tcp");
    ASSERT_TRUE(table.open(QIODevice::ReadOnly));
    std::map<std::uint16_t, QString> listening;
    for (const QString& line : QString::fromLatin1(table.readAll()).split('\n').mid(1)) {
        const QStringList f = line.simplified().split(' ');
        if (f.size() < 4 || f[3] != "0A") continue;
        listening[static_cast<std::uint16_t>(f[1].section(':', 1).toUInt(nullptr, 16))] = f[1].section(':', 0, 0);
    }
    EXPECT_EQ(listening[relay], "0100007F");  // 127.0.0.1, not 00000000 (all interfaces)
    EXPECT_EQ(listening[kiss], "0100007F");
    EXPECT_EQ(station.Stop(), 0);
}

// logrotate moves the KISS file and the log away and sends SIGHUP: the next frames go to a new
// file under the old name, and the KISS input says what it skipped so far.
TEST_F(StationProcess, SighupReopensTheKissFileAfterItWasMoved) {
    QTemporaryDir dir;
    const QString out = dir.filePath("ao40.kiss"), rotated = dir.filePath("ao40.kiss.1");
    HeadlessStation station({"--kiss-in", "-", "--kiss-out", out, "--data-dir", dir.filePath("data")});
    ASSERT_TRUE(station.Said("KISS: appending to")) << station.err.toStdString();
    Bytes first = GrKiss(1, 3);
    AppendKissFrame(first, Bytes{0x10}, 0, 1);  // TX delay: skipped without a word
    station.Send(first);
    ASSERT_TRUE(WaitUntil([&] { return KissFileBlocks(out).size() == 2; })) << station.err.toStdString();
    ASSERT_TRUE(QFile::rename(out, rotated));
    station.Signal(SIGHUP);
    ASSERT_TRUE(station.Said("SIGHUP: KISS: reopened " + out)) << station.err.toStdString();
    EXPECT_TRUE(station.err.contains("SIGHUP: log file closed; the next block reopens "));
    ASSERT_TRUE(station.Said("KISS input: skipped 1 frame neither data nor a timestamp"));
    station.Send(GrKiss(3, 4));
    ASSERT_TRUE(WaitUntil([&] { return KissFileBlocks(out).size() == 1; })) << station.err.toStdString();
    EXPECT_EQ(KissFileBlocks(rotated), (std::vector<std::uint32_t>{1, 2}));
    EXPECT_EQ(KissFileBlocks(out), (std::vector<std::uint32_t>{3}));
    EXPECT_EQ(station.Stop(), 0);
}

// A hangup at the first moment the process can take one, and more while it starts, never end it:
// each is kept until the files are open, then applied; the station goes on and logs. A signal
// mask blocking SIGHUP from the start stands for a hangup that arrives as early as can be;
// otherwise the hangups start as soon as the process has its handler (before that the program is
// still being loaded).
TEST_F(StationProcess, AHangupWhileStartingIsKeptAndApplied) {
    for (int run = 0; run < 4; ++run) {
        SCOPED_TRACE(run);
        const bool blockedAtStart = run % 2 == 0;
        QTemporaryDir data;
        HeadlessStation station({"--kiss-in", "-", "--data-dir", data.path()}, 0, [blockedAtStart] {
            if (!blockedAtStart) return;
            sigset_t hangup;
            sigemptyset(&hangup);
            sigaddset(&hangup, SIGHUP);
            sigprocmask(SIG_BLOCK, &hangup, nullptr);
        });
        ASSERT_TRUE(station.process.waitForStarted());
        if (!blockedAtStart) {
            ASSERT_TRUE(WaitUntil([&] { return station.Catches(SIGHUP); }, 20000));
        }
        // Hangups every few milliseconds until it has been logging for a moment.
        QElapsedTimer sinceLogging;
        do {
            station.Signal(SIGHUP);
            QThread::msleep(3);
            QCoreApplication::processEvents();
            if (!sinceLogging.isValid() && station.err.contains("logging to ")) sinceLogging.start();
        } while (station.process.state() == QProcess::Running && (!sinceLogging.isValid() || sinceLogging.elapsed() < 200));
        ASSERT_EQ(station.process.state(), QProcess::Running) << station.process.exitCode() << station.err.toStdString();
        ASSERT_TRUE(station.Said("SIGHUP: log file closed")) << station.err.toStdString();
        EXPECT_LT(station.err.indexOf("logging to "), station.err.indexOf("SIGHUP: log file closed"));
        station.Send(GrKiss(1, 2));
        ASSERT_TRUE(WaitUntil([&] { return station.Lines().size() == 1; })) << station.err.toStdString();
        EXPECT_EQ(QDir(data.filePath("telemetry")).entryList({"T??????.raw"}, QDir::Files).size(), 1);
        EXPECT_EQ(station.Stop(), 0);
    }
}

// The station's MQTT status: "online", retained, while it runs; when it is killed the broker
// says "offline" for it (its last will), also to a dashboard that starts later.
TEST_F(StationProcess, TheBrokerSaysOfflineForAStationThatDied) {
    if (MosquittoProgram().isEmpty()) GTEST_SKIP() << "the mosquitto broker is not installed";
    MosquittoBroker broker;
    ASSERT_TRUE(broker.Start()) << broker.Output().toStdString();
    MqttRecorder dashboard(broker.Port(), "ao40");
    ASSERT_TRUE(WaitUntil([&] { return dashboard.Subscribed(); }));
    HeadlessStation station({"--kiss-in", "-", "--mqtt", QStringLiteral("127.0.0.1:%1").arg(broker.Port()), "--mqtt-topic", "ao40"});
    ASSERT_TRUE(WaitUntil([&] { return dashboard.On("ao40/status").size() == 1; })) << station.err.toStdString();
    EXPECT_EQ(dashboard.On("ao40/status")[0].payload, "online");
    station.Signal(SIGKILL);
    ASSERT_TRUE(station.Ended());
    ASSERT_TRUE(WaitUntil([&] { return dashboard.On("ao40/status").size() == 2; }));
    EXPECT_EQ(dashboard.On("ao40/status")[1].payload, "offline");
    MqttRecorder later(broker.Port(), "ao40", true, "orv-test-later");
    ASSERT_TRUE(WaitUntil([&] { return later.On("ao40/status").size() == 1; }));
    EXPECT_TRUE(later.On("ao40/status")[0].retained);
    EXPECT_EQ(later.On("ao40/status")[0].payload, "offline");
}

// Under systemd standard error is the journal's stream (JOURNAL_STREAM names its device and
// inode): each line carries its priority, so that journalctl -p err finds the errors: a KISS
// file on a full disk (/dev/full) loses frames, a frame of a wrong size is a warning.
TEST_F(StationProcess, UnderSystemdLinesCarryTheJournalsPriorities) {
    // The shell sets JOURNAL_STREAM to its standard error, the pipe orv-cli inherits.
    HeadlessStation station({"--kiss-in", "-", "--kiss-out", "/dev/full"}, 0, {},
                            {"/bin/sh", "-c", "export JOURNAL_STREAM=$(stat -L -c %d:%i /proc/self/fd/2); exec \"$0\" \"$@\""});
    ASSERT_TRUE(station.Said("<6>orv-cli station: KISS: appending to /dev/full")) << station.err.toStdString();
    Bytes frames;
    AppendKissFrame(frames, Bytes(100, 0x41));
    frames = Concat({frames, GrKiss(1, 2)});
    station.Send(frames);
    ASSERT_TRUE(station.Said("<3>orv-cli station: KISS file: cannot write to \"/dev/full\": No space left on device; 1 frame lost"))
        << station.err.toStdString();
    EXPECT_TRUE(station.Said("<4>orv-cli station: KISS input: skipped 1 frame")) << station.err.toStdString();
    EXPECT_EQ(station.Stop(), 0);
    for (const QString& line : station.err.split('\n', Qt::SkipEmptyParts))
        EXPECT_TRUE(QRegularExpression("^<[346]>orv-cli station: ").match(line).hasMatch()) << line.toStdString();
}

}  // namespace
}  // namespace orv
