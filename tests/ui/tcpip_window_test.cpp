// The TCP/IP window with the main window on the offscreen platform, over loopback sockets: the
// server relays what the main window's station receives, the client takes the serial port's
// place and gives it back, "Replay" and "Boot Server", and the simulator's relay server as a
// separate process.
#include <QAction>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <vector>

#include "../net/test_blocks.h"
#include "sim/telemetry_generator.h"
#include "free_port.h"
#include "net/wire.h"
#include "orv_cli_process.h"
#include "pty.h"
#include "recording_messages.h"
#include "serial_feed.h"
#include "station_store.h"
#include "block_recorder.h"
#include "test_program.h"

using namespace orv;

namespace {

using Bytes = std::vector<std::uint8_t>;

Block514 Damaged(Block514 block) {
    block[100] ^= 0x10;
    return block;
}

// What the main window keeps of a block: 512 bytes, the failed mark on byte 0 when the CRCC fails.
Block512 Kept(std::span<const std::uint8_t> block, bool intact) {
    Block512 kept;
    std::copy_n(block.begin(), kept.size(), kept.begin());
    if (!intact) kept[0] |= kFailedMark;
    return kept;
}

// The desktop program, keeping every block the station completes.
struct Program : test::Program {
    Program(KeyValueStore& store, const Clock& clock, test::RecordingMessages& messages)
        : test::Program(store, clock, messages) {
        recorder.onBlock = [this](const ReceivedBlock& block) {
            Block512 record;
            std::copy_n(block.record.begin(), kTelemetryBytes, record.begin());
            kept.push_back(record);
            verdicts.push_back(mainWindow.CrccLabel());
        };
        station.AddSink(recorder);
    }
    ~Program() { station.RemoveSink(recorder); }
    void TypeInto(QLineEdit* field, const QString& text) {
        field->clear();
        QTest::keyClicks(field, text);
    }
    bool SerialOpen() { return station.PortOpen(); }

    test::BlockRecorder recorder;
    std::vector<Block512> kept;
    std::vector<QString> verdicts;
};

// Another station serving what its serial port delivers.
struct ServingStation {
    MemoryStore store;
    ManualClock clock{1'000'000};
    Station runtime{store, clock};
    Relay& relay = runtime.relay();
    explicit ServingStation(bool realTime) {
        relay.SetRealTime(realTime);
        relay.Server().Listen(0, QHostAddress::LocalHost);
    }
    std::uint16_t Port() { return relay.Server().Port(); }
};

void Append(Bytes& to, std::span<const std::uint8_t> bytes) { to.insert(to.end(), bytes.begin(), bytes.end()); }

}  // namespace

class TcpIpWindowTest : public QObject, public test::WindowTestSetup {
    Q_OBJECT
private slots:
    void init() {
        Reset(1'000'000);
        test::FillStoreWithDirectories(store, tmp.path());
    }

    void ServerRelaysWhatTheMainWindowReceivesByteExact() {
        Program p(store, clock, messages);
        NetworkWindow& w = p.networkWindow;
        p.mainWindow.MenuAction(MenuWindow::TcpIp)->trigger();
        QVERIFY(w.isVisible());
        QCOMPARE(w.windowTitle(), QString("TCP/IP - Orv"));
        QCOMPARE(w.PortField()->text(), QString("1024"));
        QVERIFY(w.ModeButton(NetMode::Off)->isChecked());
        QVERIFY(w.RelayItem(0)->isChecked());

        p.TypeInto(w.PortField(), QString::number(test::FreeTcpPort()));
        w.ModeButton(NetMode::Server)->click();
        QCOMPARE(w.StatusText(), QString("Listening..."));
        QCOMPARE(QString::number(p.station.relay().Server().Port()), w.PortField()->text());
        QVERIFY(!w.AddressField()->isVisible() && !w.ConnectButton()->isVisible());
        QVERIFY(!w.PortField()->isEnabled() && !w.SavePortAction()->isEnabled());
        QVERIFY(w.RelayGroup()->isEnabled());

        QTcpSocket client;
        client.connectToHost(QHostAddress::LocalHost, p.station.relay().Server().Port());
        QTRY_COMPARE_WITH_TIMEOUT(w.StatusText(), QString("Server Active: 1 site(s)"), 30000);

        // Blocks as the main window's serial port delivers them, relayed in the mode chosen:
        // "Real time" passes each read on as it came, "Full block" the whole block; damaged
        // blocks go out as received, without the failed mark this station gives them.
        struct Case {
            int item;
            std::size_t chunk;
            Block514 block;
            bool intact;
        };
        const Case cases[] = {
            {0, 64, test::NumberedBlock(1), true},
            {0, 514, Damaged(test::NumberedBlock(2, 'E')), false},
            {1, 37, test::NumberedBlock(3), true},
            {1, 514, Damaged(test::NumberedBlock(4, 'K')), false},
            {0, 1, test::NumberedBlock(5), true},
        };
        Bytes expected;
        for (const Case& c : cases) {
            w.RelayItem(c.item)->click();
            test::FeedBlock(p.station, clock, c.block, c.chunk);
            if (c.item == 1) {
                Append(expected, kNetworkSyncMarker);
                Append(expected, c.block);
            } else {
                for (std::size_t at = 0; at < c.block.size(); at += c.chunk) {
                    if (at == 0) Append(expected, kNetworkSyncMarker);
                    Append(expected, std::span(c.block).subspan(at, std::min(c.chunk, c.block.size() - at)));
                }
            }
            QCOMPARE(p.mainWindow.CrccLabel(), QString(c.intact ? "OK" : "FAIL"));
        }
        QByteArray got;
        QTRY_VERIFY_WITH_TIMEOUT((got += client.readAll()).size() >= static_cast<qsizetype>(expected.size()), 30000);
        QVERIFY(Bytes(got.begin(), got.end()) == expected);

        client.disconnectFromHost();
        QTRY_COMPARE_WITH_TIMEOUT(w.StatusText(), QString("Listening...."), 30000);

        // A site that stops reading is dropped, and the status line says so.
        QTcpSocket sleeper;
        sleeper.setReadBufferSize(1);
        sleeper.connectToHost(QHostAddress::LocalHost, p.station.relay().Server().Port());
        QTRY_COMPARE_WITH_TIMEOUT(w.StatusText(), QString("Server Active: 1 site(s)"), 30000);
        p.station.relay().Server().SetUnsentCap(64 * 1024);
        const Bytes load(64 * 1024, 0x55);
        // The operating system buffers a few megabytes first; 26 MB is far more than that.
        for (int round = 0; round < 400 && p.station.relay().Server().HasClients(); ++round) {
            p.station.relay().Server().SendToClients(load);
            QCoreApplication::processEvents();
        }
        QCOMPARE(w.StatusText(),
                 QStringLiteral("Dropped site 127.0.0.1:%1: more than 65536 bytes unsent").arg(sleeper.localPort()));
        QVERIFY(messages.texts.isEmpty());
    }

    void ClientTakesTheSerialPortsPlaceAndGivesItBack() {
        test::PtyPair pty;
        QVERIFY(pty.Ok());
        Program p(store, clock, messages);
        NetworkWindow& w = p.networkWindow;
        p.station.SetSerialOverride(QString::fromStdString(pty.SlavePath()));
        p.mainWindow.TextButton(TextSelection::Raw)->click();
        QVERIFY(p.SerialOpen());
        p.mainWindow.MenuAction(MenuWindow::TcpIp)->trigger();

        w.ModeButton(NetMode::Client)->click();
        QVERIFY(!p.SerialOpen());
        QCOMPARE(w.AddressLabel()->text(), QString("Host TCP/IP Address:"));
        QVERIFY(w.AddressField()->isVisible() && w.ConnectButton()->isVisible());
        QCOMPARE(w.ConnectButton()->text(), QString("Connect"));
        QVERIFY(!w.RelayGroup()->isEnabled());
        QVERIFY(w.SaveServerSiteAction()->isEnabled() && w.PortField()->isEnabled());

        // Nobody listens: the status says so and the button stays "Connect".
        p.TypeInto(w.AddressField(), " 127.0.0.1 ");
        p.TypeInto(w.PortField(), QString::number(test::FreeTcpPort()));
        w.ConnectButton()->click();
        QTRY_COMPARE_WITH_TIMEOUT(w.StatusText(), QString("Error connecting to: 127.0.0.1"), 30000);
        QCOMPARE(w.ConnectButton()->text(), QString("Connect"));
        QVERIFY(w.PortField()->isEnabled());

        ServingStation server(false);  // "Full block"
        p.TypeInto(w.PortField(), QString::number(server.Port()));
        p.mainWindow.TextButton(TextSelection::Off)->click();  // "OFF": the view follows "Raw" once connected
        w.ConnectButton()->click();
        QTRY_COMPARE_WITH_TIMEOUT(w.StatusText(), QString("Connect to: 127.0.0.1"), 30000);
        QCOMPARE(w.ConnectButton()->text(), QString("Disconnect"));
        QVERIFY(!w.PortField()->isEnabled());
        QVERIFY(p.station.state().flags.networkInputActive);
        QVERIFY(p.mainWindow.TextButton(TextSelection::Raw)->isChecked());
        QVERIFY(p.rawDataWindow.isVisible());
        QVERIFY(!p.SerialOpen());
        QTRY_VERIFY_WITH_TIMEOUT(server.relay.Server().HasClients(), 30000);

        // One block at a time, as the spacecraft sends them: the client reads each whole.
        const Block514 blocks[] = {test::NumberedBlock(1), Damaged(test::NumberedBlock(2)), test::NumberedBlock(3)};
        for (std::size_t i = 0; i < std::size(blocks); ++i) {
            test::FeedBlock(server.runtime, server.clock, blocks[i], 64);
            QTRY_COMPARE_WITH_TIMEOUT(p.kept.size(), i + 1, 30000);
        }
        for (std::size_t i = 0; i < std::size(blocks); ++i) {
            const bool intact = i != 1;
            QCOMPARE(p.verdicts[i], QString(intact ? "OK" : "FAIL"));
            QVERIFY2(p.kept[i] == Kept(blocks[i], intact), qPrintable(QStringLiteral("block %1").arg(i)));
        }
        // The client learned the server's mode; the byte counter says "FB".
        QVERIFY(w.RelayItem(1)->isChecked());
        QCOMPARE(p.mainWindow.ByteLabel(), QString("FB"));

        w.ConnectButton()->click();
        QCOMPARE(w.ConnectButton()->text(), QString("Connect"));
        QCOMPARE(w.StatusText(), QString());
        QVERIFY(!p.station.state().flags.networkInputActive);
        QVERIFY(!p.SerialOpen());  // still a client, not connected
        w.ModeButton(NetMode::Off)->click();
        QVERIFY(p.SerialOpen());  // given back
        QVERIFY(messages.texts.isEmpty());
    }

    // The simulator's relay server as a separate process, in both modes.
    void ClientTakesTheSimulatorsServedBlocks_data() {
        QTest::addColumn<bool>("fullBlock");
        QTest::addColumn<QString>("speed");
        QTest::addColumn<int>("blocks");
        // The client tells the server's mode from its read sizes: a real-time stream paced near
        // the line's speed comes in small reads however busy this machine is.
        QTest::newRow("Real time") << false << QString("2") << 2;
        QTest::newRow("Full block") << true << QString("1000") << 3;
    }
    void ClientTakesTheSimulatorsServedBlocks() {
        QFETCH(bool, fullBlock);
        QFETCH(QString, speed);
        QFETCH(int, blocks);
        QStringList args{"simulate", "--tcp-serve", "0", "--speed", speed, "--blocks", QString::number(blocks),
                         "--seed", "7", "--fail-share", "0.5", "--start", "2026-12-10 14:00:00"};
        if (fullBlock) args << "--full-block";
        test::OrvCliProcess sim(args);
        QVERIFY(sim.process.waitForStarted(30000));
        QTRY_VERIFY_WITH_TIMEOUT(sim.out.contains('\n'), 30000);
        bool ok = false;
        const int port = sim.out.section('\n', 0, 0).trimmed().toInt(&ok);
        QVERIFY(ok && port > 0);

        SystemClock clock;
        Program p(store, clock, messages);
        NetworkWindow& w = p.networkWindow;
        w.show();
        w.ModeButton(NetMode::Client)->click();
        p.TypeInto(w.AddressField(), "127.0.0.1");
        p.TypeInto(w.PortField(), QString::number(port));
        w.ConnectButton()->click();
        QTRY_COMPARE_WITH_TIMEOUT(p.kept.size(), std::size_t(blocks), 60000);
        QTRY_COMPARE_WITH_TIMEOUT(sim.process.state(), QProcess::NotRunning, 30000);
        const QString said = sim.err;
        QCOMPARE(sim.process.exitCode(), 0);
        QVERIFY2(said.contains(QStringLiteral("sent %1 blocks").arg(blocks)), qPrintable(said));

        sim::SimOptions options;
        options.seed = 7;
        options.failShare = 0.5;
        options.startUtc = 1796911200;
        sim::TelemetryGenerator twin(options);
        for (std::size_t i = 0; i < std::size_t(blocks); ++i) {
            const sim::SimBlock sent = twin.Next();
            QCOMPARE(p.verdicts[i], QString(sent.intact ? "OK" : "FAIL"));
            QVERIFY2(p.kept[i] == Kept(sent.wire, sent.intact), qPrintable(QStringLiteral("block %1").arg(i)));
        }
        QCOMPARE(w.RelayItem(0)->isChecked(), !fullBlock);
        QCOMPARE(w.RelayItem(1)->isChecked(), fullBlock);
        QCOMPARE(p.mainWindow.ByteLabel(), QString(fullBlock ? "FB" : "514"));
        // The server went away after its last block: the link is down, the status cleared.
        QTRY_COMPARE_WITH_TIMEOUT(w.ConnectButton()->text(), QString("Connect"), 30000);
        QVERIFY(!p.station.state().flags.networkInputActive);
    }

    void ReplaySwitchesAClientOrAServerOff() {
        ServingStation server(true);
        struct Case {
            NetMode mode;
            bool switchedOff;
        };
        for (const Case c : {Case{NetMode::Server, true}, Case{NetMode::Client, true}, Case{NetMode::Udp, false}}) {
            Program p(store, clock, messages);
            NetworkWindow& w = p.networkWindow;
            p.TypeInto(w.PortField(), QString::number(c.mode == NetMode::Client ? server.Port() : test::FreeTcpPort()));
            w.ModeButton(c.mode)->click();
            if (c.mode == NetMode::Client) {
                p.TypeInto(w.AddressField(), "127.0.0.1");
                w.ConnectButton()->click();
                QTRY_VERIFY_WITH_TIMEOUT(p.station.state().flags.networkInputActive, 30000);
            }
            if (c.mode == NetMode::Server) QVERIFY(p.station.relay().Server().IsListening());
            p.mainWindow.ReplayClick();
            QVERIFY(p.station.state().flags.replayOpened);
            QCOMPARE(w.ModeButton(NetMode::Off)->isChecked(), c.switchedOff);
            QCOMPARE(w.ModeButton(c.mode)->isChecked(), !c.switchedOff);
            QVERIFY(!p.station.relay().Server().IsListening());
            QVERIFY(!p.station.state().flags.networkInputActive);
            QCOMPARE(p.station.relay().UdpOn(), !c.switchedOff);
        }
    }

    void BootServerMakesTheWindowAServerAtStartUp() {
        const std::uint16_t port = test::FreeTcpPort();
        store.Write(kStartupKey, "Boot Server", "1");
        store.Write(kStartupKey, "TCP/IP Port", std::to_string(port));
        store.Write(kStartupKey, "Server Site", "ground.example.org");
        Program p(store, clock, messages);
        NetworkWindow& w = p.networkWindow;
        QVERIFY(!w.isVisible());
        p.mainWindow.show();
        QTRY_VERIFY_WITH_TIMEOUT(w.isVisible(), 30000);
        QVERIFY(w.ModeButton(NetMode::Server)->isChecked());
        QVERIFY(p.station.relay().Server().IsListening());
        QCOMPARE(p.station.relay().Server().Port(), port);
        QCOMPARE(w.StatusText(), QString("Listening..."));
        QCOMPARE(w.AddressField()->text(), QString("ground.example.org"));
    }

    // "TCP/IP Off" and "UDP (data out)" enable the port field only: the menu's Save items stay as
    // the mode before left them.
    void ModesEnableThePortFieldAndLeaveTheSaveItems() {
        Program p(store, clock, messages);
        NetworkWindow& w = p.networkWindow;
        w.show();
        p.TypeInto(w.PortField(), QString::number(test::FreeTcpPort()));
        const struct {
            NetMode mode;
            bool port, saveSite, savePort;
        } steps[] = {
            {NetMode::Client, true, true, true},  {NetMode::Off, true, true, true},
            {NetMode::Server, false, false, false}, {NetMode::Off, true, false, false},
            {NetMode::Udp, true, false, false},   {NetMode::Client, true, true, true},
            {NetMode::Udp, true, true, true},
        };
        for (const auto& step : steps) {
            w.ModeButton(step.mode)->click();
            QCOMPARE(w.PortField()->isEnabled(), step.port);
            QCOMPARE(w.SaveServerSiteAction()->isEnabled(), step.saveSite);
            QCOMPARE(w.SavePortAction()->isEnabled(), step.savePort);
        }
    }

    void ClosingEndsTheLinkAndKeepsSettingsAndPlace() {
        {
            Program p(store, clock, messages);
            NetworkWindow& w = p.networkWindow;
            w.show();
            w.ModeButton(NetMode::Client)->click();
            p.TypeInto(w.AddressField(), "ground.example.org");
            p.TypeInto(w.PortField(), "5000");
            w.SaveServerSiteAction()->trigger();
            w.SavePortAction()->trigger();
            QCOMPARE(store.Read(kStartupKey, "Server Site"), std::string("ground.example.org"));
            QCOMPARE(store.Read(kStartupKey, "TCP/IP Port"), std::string("5000"));

            p.TypeInto(w.PortField(), QString::number(test::FreeTcpPort()));
            w.ModeButton(NetMode::Server)->click();
            QVERIFY(p.station.relay().Server().IsListening());
            w.move(210, 140);
            w.close();
            QVERIFY(!p.station.relay().Server().IsListening());
            QVERIFY(w.ModeButton(NetMode::Off)->isChecked());
            QCOMPARE(store.Read(kFormPositionsKey, "Form19.Left"), std::to_string(w.x() * 15));
            QCOMPARE(store.Read(kFormPositionsKey, "Form19.Top"), std::to_string(w.y() * 15));
        }
        Program again(store, clock, messages);
        QCOMPARE(again.networkWindow.AddressField()->text(), QString("ground.example.org"));
        // The UDP relay is no link of the window's: closing it leaves UDP on, to the same place.
        {
            NetworkWindow& w = again.networkWindow;
            w.show();
            w.ModeButton(NetMode::Udp)->click();
            again.TypeInto(w.AddressField(), "127.0.0.1");
            w.ConnectButton()->click();
            w.close();
            QVERIFY(again.station.relay().UdpOn());
            QCOMPARE(again.station.relay().Udp().Host(), QString("127.0.0.1"));
            QVERIFY(w.ModeButton(NetMode::Udp)->isChecked());
        }
        QCOMPARE(again.networkWindow.PortField()->text(), QString("5000"));
        const FormPosition saved = ReadFormPosition(store, 19, 0, 0);
        QCOMPARE(again.networkWindow.pos(), QPoint(saved.left, saved.top));
    }
};

QTEST_MAIN(TcpIpWindowTest)
#include "tcpip_window_test.moc"
